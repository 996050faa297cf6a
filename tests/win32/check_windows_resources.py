#!/usr/bin/env python3
"""A built Windows program holds the resources that resources/ describes: read
back from the .exe's resource section, they match dialogs.json, strings.json,
the XPM icons and the project's version, all in Japanese, and mixconv.exe's
manifest asks for what the program needs.

usage: check_windows_resources.py EXE PROGRAM VERSION RESOURCES_DIR
"""

import json
import os
import pathlib
import re
import sys
import unittest
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import res_file  # noqa: E402

EXE, PROGRAM, VERSION, RESOURCES_DIR = sys.argv[1:5]
RESOURCES = pathlib.Path(RESOURCES_DIR)
LANG_JAPANESE = 0x0411
CODE_PAGE_UNICODE = 1200
IDR_MAINFRAME = 128
SHIFTJIS_CHARSET = 128

# The values of the Windows SDK's style names, written out here rather than
# taken from the generator, so that a wrong mapping there shows.
WINDOW_STYLES = {
    "popup": 0x80000000, "visible": 0x10000000, "caption": 0x00C00000, "sysmenu": 0x00080000,
    "modalframe": 0x00000080, "tabstop": 0x00010000, "group": 0x00020000,
    "border": 0x00800000, "vscroll": 0x00200000, "hscroll": 0x00100000,
}
EXTENDED_STYLES = {"appwindow": 0x00040000}
WS_CHILD_VISIBLE = 0x50000000
DS_SETFONT = 0x40
# Per kind: the window class, the style bits it always has, and its own styles.
CONTROL_KINDS = {
    "button": ("BUTTON", 0, {"default": 0x1}),
    "edit": ("EDIT", 0, {"autohscroll": 0x80}),
    "static": ("STATIC", 0, {"left": 0x0, "noprefix": 0x80}),
    "icon": ("STATIC", 0x3, {}),
    "listbox": ("LISTBOX", 0, {"notify": 0x1, "nointegralheight": 0x100}),
    "combobox": ("COMBOBOX", 0, {"dropdownlist": 0x3}),
}


def style_bits(names, table):
    bits = 0
    for name in names:
        bits |= table[name]
    return bits


def read_xpm(path):
    strings = re.findall(r'"((?:[^"\\]|\\.)*)"', path.read_text(encoding="ascii"))
    width, height, color_count, chars_per_pixel = map(int, strings[0].split())
    colors = {}
    for line in strings[1:1 + color_count]:
        value = line[chars_per_pixel:].split()[-1]
        colors[line[:chars_per_pixel]] = None if value == "None" else tuple(
            bytes.fromhex(value.lstrip("#")))
    rows = [[colors[line[i:i + chars_per_pixel]] for i in range(0, len(line), chars_per_pixel)]
            for line in strings[1 + color_count:1 + color_count + height]]
    return width, height, rows


FOUND = res_file.resources(pathlib.Path(EXE).read_bytes())


class CommonResourcesTest(unittest.TestCase):
    """What every Windows program of the project holds."""

    def test_every_resource_is_japanese(self):
        for (kind, name), (language, _) in FOUND.items():
            self.assertEqual(language, LANG_JAPANESE, f"resource {kind}/{name}")

    def test_version_record_is_the_projects_in_japanese(self):
        _, data = FOUND[(res_file.RT_VERSION, 1)]
        key, fixed, children = res_file.version_nodes(data)
        self.assertEqual(key, "VS_VERSION_INFO")
        numbers = [int(number) for number in VERSION.split(".")]
        signature, _, file_ms, file_ls, product_ms, product_ls = res_file.Reader(fixed).take(
            "IIIIII")
        self.assertEqual(signature, 0xFEEF04BD)
        for ms, ls in ((file_ms, file_ls), (product_ms, product_ls)):
            self.assertEqual([ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF], numbers)
        blocks = {child[0]: child for child in children}
        (_, translation, _), = blocks["VarFileInfo"][2]
        self.assertEqual(res_file.Reader(translation).take("HH"), (LANG_JAPANESE, CODE_PAGE_UNICODE))
        (table_key, _, values), = blocks["StringFileInfo"][2]
        self.assertEqual(table_key, f"{LANG_JAPANESE:04X}{CODE_PAGE_UNICODE:04X}")
        values = {name: value for name, value, _ in values}
        self.assertEqual(values["OriginalFilename"], PROGRAM + ".exe")
        self.assertEqual(values["FileVersion"], ", ".join(VERSION.split(".")))
        self.assertEqual(values["ProductVersion"], ", ".join(VERSION.split(".")))

    def test_icon_holds_both_xpm_images(self):
        _, group = FOUND[(res_file.RT_GROUP_ICON, IDR_MAINFRAME)]
        reader = res_file.Reader(group)
        _, kind, count = reader.take("HHH")
        self.assertEqual((kind, count), (1, 2))
        images = {}
        for _ in range(count):
            width, height, colors, _, planes, bits, _, image_id = reader.take("BBBBHHIH")
            self.assertEqual((colors, planes, bits), (16, 1, 4))
            images[(width, height)] = res_file.icon_pixels(FOUND[(res_file.RT_ICON, image_id)][1])
        for xpm in ("mixconv-32.xpm", "mixconv-16.xpm"):
            width, height, rows = read_xpm(RESOURCES / xpm)
            self.assertEqual(images[(width, height)], (width, height, rows), xpm)


class DesktopProgramResourcesTest(unittest.TestCase):
    """mixconv.exe's dialogs, strings and manifest."""

    @classmethod
    def setUpClass(cls):
        if PROGRAM != "mixconv":
            raise unittest.SkipTest(f"{PROGRAM} has no dialogs")
        cls.dialogs = json.loads((RESOURCES / "dialogs.json").read_text(encoding="utf-8"))["dialogs"]
        cls.strings = json.loads((RESOURCES / "strings.json").read_text(encoding="utf-8"))

    def test_dialog_templates_are_those_of_dialogs_json(self):
        self.assertEqual({name for kind, name in FOUND if kind == res_file.RT_DIALOG},
                         {dialog["id"] for dialog in self.dialogs})
        for expected in self.dialogs:
            with self.subTest(dialog=expected["name"]):
                built = res_file.dialog(FOUND[(res_file.RT_DIALOG, expected["id"])][1])
                self.assertEqual(built["title"], expected["title"])
                self.assertEqual(built["position"], (0, 0))
                self.assertEqual(list(built["size"]), expected["size"])
                self.assertEqual(built["style"],
                                 style_bits(expected["styles"], WINDOW_STYLES) | DS_SETFONT)
                self.assertEqual(built["exStyle"],
                                 style_bits(expected["exStyles"], EXTENDED_STYLES))
                self.assertEqual((built["typeface"], built["pointSize"], built["charset"]),
                                 (expected["font"]["family"], expected["font"]["pointSize"],
                                  SHIFTJIS_CHARSET))
                self.assertEqual(len(built["controls"]), len(expected["controls"]))
                for control, want in zip(built["controls"], expected["controls"]):
                    self.check_control(control, want)

    def check_control(self, control, want):
        window_class, always, own = CONTROL_KINDS[want["kind"]]
        where = f"control {want.get('name', want['text'])!r}"
        self.assertEqual(control["id"], want["id"], where)
        # Class names are not case-sensitive.
        self.assertEqual(control["class"].upper(), window_class, where)
        text = IDR_MAINFRAME if want["kind"] == "icon" else want["text"]
        self.assertEqual(control["text"] or "", text, where)
        self.assertEqual(control["rect"], want["rect"], where)
        self.assertEqual(control["style"],
                         WS_CHILD_VISIBLE | always | style_bits(want["styles"],
                                                                 {**WINDOW_STYLES, **own}), where)
        self.assertEqual(control["exStyle"], 0, where)

    def test_strings_are_those_of_strings_json(self):
        self.assertEqual(res_file.strings(FOUND),
                         {int(key): entry["text"] for key, entry in self.strings.items()})

    def test_manifest_asks_for_current_controls_sharp_scaling_and_long_paths(self):
        _, data = FOUND[(res_file.RT_MANIFEST, 1)]
        manifest = ElementTree.fromstring(data)
        namespaces = {"v1": "urn:schemas-microsoft-com:asm.v1",
                      "v3": "urn:schemas-microsoft-com:asm.v3",
                      "ws2005": "http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                      "ws2016": "http://schemas.microsoft.com/SMI/2016/WindowsSettings"}
        controls = manifest.find(
            "v1:dependency/v1:dependentAssembly/v1:assemblyIdentity", namespaces).attrib
        self.assertEqual((controls["name"], controls["version"]),
                         ("Microsoft.Windows.Common-Controls", "6.0.0.0"))
        settings = manifest.find("v3:application/v3:windowsSettings", namespaces)
        self.assertEqual(settings.find("ws2005:dpiAware", namespaces).text, "true")
        self.assertEqual(settings.find("ws2016:dpiAwareness", namespaces).text.split(",")[0],
                         "PerMonitorV2")
        self.assertEqual(settings.find("ws2016:longPathAware", namespaces).text, "true")
        self.assertEqual(manifest.find("v1:assemblyIdentity", namespaces).attrib["version"],
                         VERSION)


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__.strip())
    unittest.main(argv=sys.argv[:1])
