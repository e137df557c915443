"""Where the built tools and the installer are: a JSON file that CMake writes
(e2e_config.json in the build folder of tests/e2e), named by the environment
variable NIMBRA_E2E_CONFIG."""

import json
import os
from dataclasses import dataclass
from pathlib import Path
from typing import Optional


class ConfigError(RuntimeError):
    pass


@dataclass(frozen=True)
class Config:
    box_robot: Path
    substitute: Path
    win_probe: Path
    installer: Optional[Path]  # None when the build has no installer
    prefix: Path               # used when $WINEPREFIX is not set
    work_dir: Path             # transcripts, logs, .reg files of the run
    wine: str


def load():
    name = os.environ.get("NIMBRA_E2E_CONFIG")
    if not name:
        raise ConfigError("NIMBRA_E2E_CONFIG is not set; it names e2e_config.json in the build folder "
                          "(for example build/win32/tests/e2e/e2e_config.json)")
    raw = json.loads(Path(name).read_text("utf-8"))
    return Config(
        box_robot=Path(raw["box_robot"]),
        substitute=Path(raw["substitute"]),
        win_probe=Path(raw["win_probe"]),
        installer=Path(raw["installer"]) if raw.get("installer") else None,
        prefix=Path(os.environ.get("WINEPREFIX") or raw["prefix"]),
        work_dir=Path(raw["work_dir"]),
        wine=raw.get("wine") or "wine")
