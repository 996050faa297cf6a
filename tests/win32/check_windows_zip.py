#!/usr/bin/env python3
"""The zip for Windows users holds exactly both programs and the read-me: the
programs are the built ones without their debug information, and the read-me
is UTF-8 text as Notepad reads it, a BOM first and CR LF line ends.

usage: check_windows_zip.py ZIP VERSION MIXCONV_EXE MIXCONV_CLI_EXE
"""

import os
import struct
import sys
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import res_file  # noqa: E402

UTF8_BOM = b"\xef\xbb\xbf"
IMAGE_FILE_MACHINE_AMD64 = 0x8664


def coff_header(exe):
    """(machine, symbol table offset, symbol count) of a PE file."""
    pe_at = struct.unpack_from("<I", exe, 0x3C)[0]
    assert exe[pe_at:pe_at + 4] == b"PE\0\0", "not a PE file"
    machine, _, _, symbols_at, symbol_count = struct.unpack_from("<HHIII", exe, pe_at + 4)
    return machine, symbols_at, symbol_count


class WindowsZipTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with zipfile.ZipFile(ZIP) as archive:
            cls.bad_member = archive.testzip()
            cls.names = sorted(archive.namelist())
            cls.members = {name: archive.read(name) for name in cls.names}

    def test_holds_exactly_both_programs_and_the_read_me(self):
        self.assertIsNone(self.bad_member, "a member fails its CRC")
        self.assertEqual(self.names, ["README.txt", "mixconv-cli.exe", "mixconv.exe"])

    def test_read_me_is_utf8_with_a_bom_and_cr_lf_line_ends(self):
        data = self.members["README.txt"]
        self.assertTrue(data.startswith(UTF8_BOM), data[:8])
        text = data[len(UTF8_BOM):].decode("utf-8")
        self.assertNotIn("\ufeff", text)
        self.assertTrue(text.endswith("\r\n"))
        without_line_ends = text.replace("\r\n", "")
        self.assertNotIn("\n", without_line_ends)
        self.assertNotIn("\r", without_line_ends)
        self.assertEqual(text.split("\r\n")[0], f"mixconv {VERSION}")
        for program in ("mixconv.exe", "mixconv-cli.exe"):
            self.assertIn(program, text)

    def test_programs_are_the_built_ones_stripped(self):
        for name, built_path in (("mixconv.exe", MIXCONV_EXE), ("mixconv-cli.exe", MIXCONV_CLI_EXE)):
            with self.subTest(program=name):
                packaged = self.members[name]
                with open(built_path, "rb") as built_file:
                    built = built_file.read()
                self.assertEqual(res_file.resources(packaged), res_file.resources(built))
                self.assertEqual(coff_header(packaged), (IMAGE_FILE_MACHINE_AMD64, 0, 0))


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__.strip())
    ZIP, VERSION, MIXCONV_EXE, MIXCONV_CLI_EXE = sys.argv[1:5]
    unittest.main(argv=sys.argv[:1])
