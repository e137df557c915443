"""The fixtures of the end-to-end tests do what the installer will rely on."""

import json
import unittest

from harness import registry as reg
from harness import substitute
from harness.case import InstallerTestCase
from harness.installation import fixture_language, language_file, pack_bytes

ERROR_SHARING_VIOLATION = 32


class SubstituteNimbraFixture(InstallerTestCase):
    def open_exclusive(self, wait_ms=0):
        result = self.probe("open-exclusive", self.install.windows_path("dwix.cok"), str(wait_ms))
        return json.loads(result.stdout.decode("ascii"))

    def test_running_substitute_shows_mapping_window_and_holds_the_pack(self):
        self.install.create(pack_version=5)
        nimbra = self.start_nimbra(quit_delay_ms=800)
        self.assertEqual(self.probe("mapping-exists", substitute.MAPPING_NAME).returncode, 0)
        self.assertEqual(self.probe("window-exists", substitute.WINDOW_CLASS).returncode, 0)
        self.assertEqual(self.open_exclusive()["error"], ERROR_SHARING_VIOLATION)

        self.assertTrue(nimbra.ask_to_quit())
        opened = self.open_exclusive(wait_ms=5000)
        self.assertTrue(opened["ok"])
        self.assertEqual(nimbra.wait(), substitute.ENDED)
        held_ms = nimbra.event("file-released")["unix_ms"] - nimbra.event("quit-received")["unix_ms"]
        self.assertGreaterEqual(held_ms, 780)
        self.assertLess(held_ms, 2000)
        self.assertGreaterEqual(opened["unix_ms"], nimbra.event("file-released")["unix_ms"])
        self.assertEqual(nimbra.event_names(),
                         ["started", "ready", "quit-received", "file-released", "mapping-closed", "exit"])
        self.assertNotEqual(self.probe("mapping-exists", substitute.MAPPING_NAME).returncode, 0)

    def test_substitute_left_running_is_stopped_at_the_end_of_the_block(self):
        self.install.create(pack_version=6)
        with substitute.RunningNimbra(self.session, self.install,
                                      self.session.windows_path(self.config.win_probe)) as nimbra:
            self.assertTrue(nimbra.running())
        self.assertFalse(nimbra.running())
        self.assertTrue(self.open_exclusive()["ok"])

    def test_substitute_without_window_is_killed_at_the_end(self):
        self.install.create(pack_version=5)
        nimbra = self.start_nimbra(window=False)
        self.assertNotEqual(self.probe("window-exists", substitute.WINDOW_CLASS).returncode, 0)
        nimbra.stop()
        self.assertFalse(nimbra.running())
        self.assertNotEqual(self.probe("mapping-exists", substitute.MAPPING_NAME).returncode, 0)
        self.assertTrue(self.open_exclusive()["ok"])

    def test_without_mapping_only_the_window_is_there(self):
        self.install.create()
        self.start_nimbra(mapping=False, hold=False)
        self.assertNotEqual(self.probe("mapping-exists", substitute.MAPPING_NAME).returncode, 0)
        self.assertEqual(self.probe("window-exists", substitute.WINDOW_CLASS).returncode, 0)


class RegistryFixture(InstallerTestCase):
    def test_values_round_trip_exactly_in_both_views(self):
        folder = "C:\\Программы\\Nimbra"
        self.registry.apply(reg.RegistryBatch()
                            .set_string(reg.PRODUCT_KEY, "TheLastRunFolder", folder)
                            .set_dword(reg.UNINSTALL_KEY, "EstimatedSize", 0xFFFFFFFF)
                            .set_string(reg.UNINSTALL_KEY_32, "UninstallString", "\"C:\\A B\\uninst.exe\"")
                            .set(reg.PRODUCT_KEY, "Blob", reg.Value(reg.REG_BINARY, bytes(range(40))))
                            .set(reg.PRODUCT_KEY, "Expand", reg.Value(reg.REG_EXPAND_SZ, "%Temp%\\x")))
        self.assertEqual(self.registry.value(reg.PRODUCT_KEY, "TheLastRunFolder"), reg.Value(reg.REG_SZ, folder))
        self.assertEqual(self.registry.value(reg.UNINSTALL_KEY, "EstimatedSize"), reg.Value(reg.REG_DWORD, 0xFFFFFFFF))
        self.assertEqual(self.registry.value(reg.UNINSTALL_KEY_32, "UninstallString").data, "\"C:\\A B\\uninst.exe\"")
        self.assertEqual(self.registry.value(reg.PRODUCT_KEY, "Blob").data, bytes(range(40)))
        self.assertEqual(self.registry.value(reg.PRODUCT_KEY, "Expand"), reg.Value(reg.REG_EXPAND_SZ, "%Temp%\\x"))
        # The 64-bit entry is not the 32-bit one.
        self.assertIsNone(self.registry.value(reg.UNINSTALL_KEY, "UninstallString"))

    def test_reset_removes_every_key_of_nimbra(self):
        self.set_last_run_folder("C:\\x\\")
        self.set_uninstall_string("C:\\x\\uninst.exe")
        self.set_uninstall_string("C:\\y\\uninst.exe", wow64=True)
        self.registry.reset_nimbra()
        for key in (reg.PRODUCT_KEY, reg.UNINSTALL_KEY, reg.UNINSTALL_KEY_32):
            self.assertIsNone(self.registry.values(key), key)


class InstallationFixture(InstallerTestCase):
    def test_installation_holds_substitute_language_files_and_pack(self):
        self.install.create(pack_version=5, pack_size=1000)
        self.assertEqual(self.install.path("nimbra.exe").read_bytes(), self.config.substitute.read_bytes())
        self.assertEqual(self.install.path("language/russian.lng").read_bytes(), fixture_language("russian.lng"))
        self.assertEqual(self.install.pack()[:5], b"dwix\x25")
        self.assertEqual(len(self.install.pack()), 1000)
        self.assertEqual(self.install.pack_version(), 5)
        self.assertTrue(self.install.windows_folder.endswith("\\Nimbra\\"))

    def test_sample_language_files_are_windows_text(self):
        russian = fixture_language("russian.lng")
        self.assertIn("[installask]\r\n%1 установит звуковой пакет %2.\r\n".encode("cp1251"), russian)
        self.assertIn(b"[langcode]\r\n1049\r\n\r\n", russian)
        self.assertIn(b"[crickets]\r\nCrickets\r\n", fixture_language("english.lng"))

    def test_builders_make_headers_and_entries(self):
        self.assertEqual(pack_bytes(7, 5), b"dwix\x27")
        self.assertEqual(pack_bytes(6, 3), b"dwi")
        self.assertEqual(language_file([("langcode", ["1049", "1058"]), ("progname", ["Нимбра"])],
                                       encoding="cp1251"),
                         b"[langcode]\r\n1049\r\n1058\r\n\r\n[progname]\r\n\xcd\xe8\xec\xe1\xf0\xe0\r\n\r\n")


if __name__ == "__main__":
    unittest.main()
