#!/usr/bin/env python3
"""The installer, run silently under wine in a wine prefix of the test's own,
installs both programs and the read-me into the user's own programs folder,
puts a shortcut in the user's Start menu and registers its uninstaller for the
user; the uninstaller, run silently, takes all of it away again.

Wine exits 0 whether or not the installer ran, so only what is found on disk
and in the registry counts.

usage: windows_installer_test.py WINE SETUP_EXE STAGE_DIR VERSION
"""

import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

UNINSTALL_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall"
MIXCONV_KEY = UNINSTALL_KEY + r"\mixconv"
PACKAGED_FILES = ["README.txt", "mixconv-cli.exe", "mixconv.exe"]
# Each wine call's bound: far beyond what wineboot of a new prefix takes on a busy machine.
WINE_TIMEOUT = 600
SHELL_LINK_HEADER = bytes.fromhex("4c000000" "0114020000000000c000000000000046")
HAS_LINK_TARGET_ID_LIST = 0x1
HAS_LINK_INFO = 0x2


def link_target(link):
    """The local path a shell link (.lnk) points to, from its LinkInfo."""
    assert link.startswith(SHELL_LINK_HEADER), "not a shell link"
    flags = struct.unpack_from("<I", link, 0x14)[0]
    assert flags & HAS_LINK_INFO, "the link names no file"
    at = 0x4C
    if flags & HAS_LINK_TARGET_ID_LIST:
        at += 2 + struct.unpack_from("<H", link, at)[0]
    _, _, _, _, base_at, _, suffix_at = struct.unpack_from("<7I", link, at)

    def ansi_text(offset):
        start = at + offset
        return link[start:link.index(b"\0", start)].decode("ascii")

    return ansi_text(base_at) + ansi_text(suffix_at)


class WindowsInstallerTest(unittest.TestCase):
    def setUp(self):
        self.work = pathlib.Path(tempfile.mkdtemp(prefix="mixconv-installer-test-"))
        home = self.work / "home"
        home.mkdir()
        self.env = dict(os.environ, WINEPREFIX=str(self.work / "prefix"), HOME=str(home),
                        WINEDEBUG="-all",
                        # No menu entries on the host, no Mono or Gecko asked for.
                        WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml=")
        for name in ("DISPLAY", "WAYLAND_DISPLAY"):
            self.env.pop(name, None)
        self.addCleanup(shutil.rmtree, self.work)
        # Ends the processes of this test's prefix only, should any be left.
        self.addCleanup(subprocess.run, [WINESERVER, "-k"], env=self.env,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wine("wineboot", "--init")

    def wine(self, *arguments):
        """Runs a program under wine and waits until every process of the prefix
        has ended: an NSIS uninstaller goes on in a copy of itself after the one
        started returns."""
        run = subprocess.run([WINE, *arguments], env=self.env, capture_output=True,
                             timeout=WINE_TIMEOUT)
        subprocess.run([WINESERVER, "-w"], env=self.env, check=True, timeout=WINE_TIMEOUT)
        self.assertEqual(run.returncode, 0, run.stderr.decode(errors="replace"))
        return run.stdout.decode("ascii").replace("\r\n", "\n")

    def unix_path(self, windows_path):
        return pathlib.Path(self.wine("winepath", "-u", windows_path).rstrip("\n"))

    def uninstall_entries(self):
        """The Uninstall key's subkeys and the values of mixconv's entry."""
        output = self.wine("reg", "query", UNINSTALL_KEY, "/s")
        subkeys, values, key = [], {}, None
        for line in output.splitlines():
            if line.startswith("HKEY_"):
                key = line
                subkeys.append(line)
            elif line.strip() and key == MIXCONV_KEY:
                name, kind, value = line.strip().split("    ", 2)
                values[name] = (kind, value)
        return subkeys, values

    def test_silent_install_and_uninstall(self):
        local_app_data, app_data = self.wine(
            "cmd", "/c", "echo %LOCALAPPDATA%&echo %APPDATA%").splitlines()
        install_dir = local_app_data + r"\Programs\mixconv"
        installed = self.unix_path(install_dir)
        shortcut = self.unix_path(app_data + r"\Microsoft\Windows\Start Menu\Programs\mixconv.lnk")

        self.wine(SETUP_EXE, "/S")

        self.assertTrue(installed.is_dir(), "the installer installed nothing")
        self.assertEqual(sorted(path.name for path in installed.iterdir()),
                         sorted(PACKAGED_FILES + ["uninstall.exe"]))
        for name in PACKAGED_FILES:
            self.assertEqual((installed / name).read_bytes(), (STAGE_DIR / name).read_bytes(), name)
        self.assertTrue(shortcut.is_file(), "no shortcut in the Start menu")
        self.assertEqual(link_target(shortcut.read_bytes()).lower(),
                         (install_dir + r"\mixconv.exe").lower())
        _, values = self.uninstall_entries()
        uninstaller = install_dir + r"\uninstall.exe"
        self.assertEqual(values, {
            "DisplayName": ("REG_SZ", "mixconv"),
            "DisplayVersion": ("REG_SZ", VERSION),
            "Publisher": ("REG_SZ", "mixconv developers"),
            "DisplayIcon": ("REG_SZ", install_dir + r"\mixconv.exe"),
            "InstallLocation": ("REG_SZ", install_dir),
            "UninstallString": ("REG_SZ", f'"{uninstaller}"'),
            "QuietUninstallString": ("REG_SZ", f'"{uninstaller}" /S'),
            "NoModify": ("REG_DWORD", "0x1"),
            "NoRepair": ("REG_DWORD", "0x1"),
        })
        self.assertEqual(self.wine(install_dir + r"\mixconv-cli.exe", "--version"),
                         f"mixconv-cli {VERSION}\n")

        self.wine(uninstaller, "/S")

        self.assertFalse(installed.exists(), "the program folder is left")
        self.assertFalse(shortcut.exists(), "the shortcut is left")
        subkeys, _ = self.uninstall_entries()
        self.assertNotIn(MIXCONV_KEY, subkeys)


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__.strip())
    WINE, SETUP_EXE, STAGE_DIR, VERSION = sys.argv[1:5]
    STAGE_DIR = pathlib.Path(STAGE_DIR)
    WINESERVER = shutil.which("wineserver")
    if WINESERVER is None:
        sys.exit("wineserver is not on PATH")
    unittest.main(argv=sys.argv[:1])
