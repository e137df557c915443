"""The base of every end-to-end test.

Each test gets a fresh installation folder C:\\nimbra-e2e\\<Class>.<test>\\Nimbra\\
(not yet laid out: call self.install.create(...)) and a registry without any
key of Nimbra. A full update-run test reads, for example:

    def test_interactive_run_replaces_an_older_pack(self):
        self.install.create(pack_version=5)
        self.set_last_run_folder()
        run = self.run_installer(answers=[YES, YES])
        self.assertBoxes(run, [dict(caption="Nimbra sound pack", buttons=["no", "yes"]),
                               dict(caption="Nimbra Live Update")])
        self.assertEqual(self.install.pack_version(), 6)
        self.assertEqual(self.estimated_size(), self.install.size_kib())
        self.assertEqual(len(self.install.starts()), 1)
"""

import shutil
import unittest

from . import config as config_module
from . import registry as reg
from . import robot
from .installation import PACK_NAME, NimbraInstallation
from .substitute import RunningNimbra
from .wine import ENGLISH, GERMAN, KAZAKH, RUSSIAN, WineSession  # noqa: F401  (re-exported for tests)

_session = None


def session():
    """The one Wine session of this test process, started on first use."""
    global _session
    if _session is None:
        cfg = config_module.load()
        _session = WineSession(cfg.prefix, cfg.work_dir, cfg.wine).start()
        _session.config = cfg
    return _session


class InstallerTestCase(unittest.TestCase):
    # The locale of every Wine process the test starts, unless it says otherwise.
    locale = ENGLISH
    # The installer under test: the build's own, or the one of another pack
    # (a version-7 pack "Birds7.pak", key "birds"; tests/e2e/CMakeLists.txt).
    other_pack = False

    @classmethod
    def setUpClass(cls):
        cls.session = session()
        cls.config = cls.session.config
        cls.registry = reg.Registry(cls.session)

    def setUp(self):
        name = self.id().split(".", 1)[-1]
        pack_name = self.carried.file if self.carried else PACK_NAME
        self.install = NimbraInstallation(self.session, "C:\\nimbra-e2e\\%s\\Nimbra" % name, self.config.substitute,
                                          pack_name)
        # The test's whole folder, so that nothing of an earlier run is left.
        shutil.rmtree(self.install.folder.parent, ignore_errors=True)
        self.registry.reset_nimbra()

    @property
    def carried(self):
        """What the installer under test carries (harness.config.Pack), or None."""
        return self.config.other_pack if self.other_pack else self.config.pack

    def requireInstaller(self):
        installer = self.config.other_installer if self.other_pack else self.config.installer
        if installer is None:
            self.skipTest("this build has no installer")
        return self.session.windows_path(installer)

    # --- fixtures ---------------------------------------------------------

    def set_last_run_folder(self, folder=None):
        """HKCU\\Software\\Tarvel\\Nimbra "TheLastRunFolder" := folder (default:
        the installation folder, with its trailing backslash)."""
        folder = self.install.windows_folder if folder is None else folder
        self.registry.apply(reg.RegistryBatch().set_string(reg.PRODUCT_KEY, "TheLastRunFolder", folder))

    def set_uninstall_string(self, value, wow64=False):
        key = reg.UNINSTALL_KEY_32 if wow64 else reg.UNINSTALL_KEY
        self.registry.apply(reg.RegistryBatch().set_string(key, "UninstallString", value))

    def set_lang_file(self, name):
        self.registry.apply(reg.RegistryBatch().set_string(reg.PRODUCT_KEY, "LangFile", name))

    def start_nimbra(self, **options):
        """A running substitute in the installation (see RunningNimbra);
        stopped at the end of the test."""
        options.setdefault("locale", self.locale)
        nimbra = RunningNimbra(self.session, self.install, self.session.windows_path(self.config.win_probe),
                               **options)
        nimbra.start()
        self.addCleanup(nimbra.stop)
        return nimbra

    # --- running ----------------------------------------------------------

    def run_installer(self, *arguments, answers=(), cwd=None, timeout_ms=60000, locale=None, unelevated=False):
        """The real installer with these arguments under the box robot;
        unelevated: as an administrator's programs run without elevation."""
        return robot.run(self.session, self.config.box_robot, self.requireInstaller(), arguments, answers,
                         cwd=cwd, timeout_ms=timeout_ms, locale=locale or self.locale, unelevated=unelevated)

    def run_with_robot(self, program, *arguments, answers=(), cwd=None, timeout_ms=60000, locale=None, **kw):
        return robot.run(self.session, self.config.box_robot, program, arguments, answers, cwd=cwd,
                         timeout_ms=timeout_ms, locale=locale or self.locale, **kw)

    def probe(self, *arguments, locale=None):
        """win-probe.exe with these arguments (see tests/support/tools/win_probe.cpp)."""
        return self.session.run(self.config.win_probe, arguments, locale=locale or self.locale)

    # --- what the run left ------------------------------------------------

    def estimated_size(self):
        """"EstimatedSize" of the uninstall entry (64-bit view), or None."""
        value = self.registry.value(reg.UNINSTALL_KEY, "EstimatedSize")
        return None if value is None else value.data

    # --- assertions -------------------------------------------------------

    def assertEndedNormally(self, run, exit_code=0):
        self.assertFalse(run.timed_out, "the time-out ended the program; boxes: %s" % run.boxes)
        self.assertEqual(run.robot_exit, robot.ROBOT_ENDED, run.records)
        self.assertEqual(run.exit_code, exit_code, run.records)

    def assertNoBoxes(self, run):
        self.assertEqual(run.boxes, [], "unexpected boxes")

    def assertBoxes(self, run, expected):
        """Each box in order against a dict of what matters: caption, text
        (wide text), caption_bytes, text_bytes, buttons (list of ids),
        russian_buttons (bool), answer."""
        self.assertEqual(len(run.boxes), len(expected), "boxes: %s" % run.boxes)
        for index, (box, wanted) in enumerate(zip(run.boxes, expected)):
            for name, value in wanted.items():
                if name == "buttons":
                    actual = box.button_ids
                    value = sorted(value)
                elif name == "russian_buttons":
                    actual = box.has_russian_buttons()
                else:
                    actual = getattr(box, name)
                self.assertEqual(actual, value, "box %d, %s: %s" % (index, name, box))
