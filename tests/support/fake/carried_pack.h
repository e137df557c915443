// An installer's carried pack on the fake world: the pack's resource and the
// build's record of it, as the real build embeds both. Header only: the
// record needs the install library, which only its users link.
#pragma once

#include <span>
#include <string_view>

#include "fake/fake_module_resources.h"
#include "install/pack_check.h"

namespace nimbra::fake {

inline void CarryPack(FakeModuleResources& resources, std::string_view name, std::string_view type,
                      std::string_view pack) {
  resources.add(name, type, pack);
  resources.add(kPackCheckResourceName, kPackCheckResourceType,
                EncodePackCheck(PackCheckOf(std::as_bytes(std::span(pack.data(), pack.size())))));
}

}  // namespace nimbra::fake
