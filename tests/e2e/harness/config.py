"""Where the built tools and the installers are: a JSON file that CMake writes
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
class Pack:
    """What an installer carries: the pack's bytes (path on this machine), its
    file name in Nimbra's folder, the key of its name and its version."""
    path: Path
    file: str
    key: str
    version: int


@dataclass(frozen=True)
class Config:
    box_robot: Path
    substitute: Path
    win_probe: Path
    installer: Optional[Path]        # None when the build has no installer
    pack: Optional[Pack]             # what the installer carries
    other_installer: Optional[Path]  # the installer of another pack (tests/e2e/CMakeLists.txt)
    other_pack: Optional[Pack]
    signed_installer: Optional[Path]  # a signed copy of the installer (tests/signing)
    prefix: Path                     # used when $WINEPREFIX is not set
    work_dir: Path                   # transcripts, logs, .reg files of the run
    wine: str


def _installer(raw):
    """(exe, Pack) of an "installer" entry, or (None, None)."""
    if not raw:
        return None, None
    return Path(raw["exe"]), Pack(Path(raw["pack"]), raw["file"], raw["key"], int(raw["version"]))


def load():
    name = os.environ.get("NIMBRA_E2E_CONFIG")
    if not name:
        raise ConfigError("NIMBRA_E2E_CONFIG is not set; it names e2e_config.json in the build folder "
                          "(for example build/win32/tests/e2e/e2e_config.json)")
    raw = json.loads(Path(name).read_text("utf-8"))
    installer, pack = _installer(raw.get("installer"))
    other_installer, other_pack = _installer(raw.get("other_installer"))
    return Config(
        box_robot=Path(raw["box_robot"]),
        substitute=Path(raw["substitute"]),
        win_probe=Path(raw["win_probe"]),
        installer=installer,
        pack=pack,
        other_installer=other_installer,
        other_pack=other_pack,
        signed_installer=Path(raw["signed_installer"]) if raw.get("signed_installer") else None,
        prefix=Path(os.environ.get("WINEPREFIX") or raw["prefix"]),
        work_dir=Path(raw["work_dir"]),
        wine=raw.get("wine") or "wine")
