// The transcript line of one handled box (see json_line.h for the encoding):
//   {"event":"box","index":0,"t_ms":812,"unix_ms":...,
//    "caption":"...","caption_hex":"...","text":"...","text_hex":"...",
//    "buttons":[{"id":"yes","text":"&Yes","text_hex":"265965730"},...],
//    "script":"yes","answer":"yes"}
// "script" is the script's answer (null once it ran out), "answer" the button
// clicked (null when the box was left open). t_ms counts from the robot's start.
#pragma once

#include <cstdint>

#include "box_robot.h"
#include "json_line.h"

namespace nimbra::tools {

JsonLine boxRecordLine(const BoxRecord& record, std::size_t index, std::int64_t elapsedMs, std::int64_t unixMs);

}  // namespace nimbra::tools
