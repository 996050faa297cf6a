"""Reads a Windows program's resources from its .exe, as Windows lays them out."""

import struct

RT_ICON = 3
RT_DIALOG = 5
RT_STRING = 6
RT_RCDATA = 10
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24
DS_SETFONT = 0x40


class Reader:
    def __init__(self, data, pos=0):
        self.data, self.pos = data, pos

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def align(self):
        self.pos = (self.pos + 3) & ~3

    def text(self):
        end = self.pos
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        value = self.data[self.pos:end].decode("utf-16-le")
        self.pos = end + 2
        return value

    def name_or_ordinal(self):
        """An ordinal as an int, a name as a str, nothing as None."""
        first = struct.unpack_from("<H", self.data, self.pos)[0]
        if first == 0xFFFF:
            self.pos += 2
            return self.take("H")
        if first == 0:
            self.pos += 2
            return None
        return self.text()


def resources(exe):
    """{(type, name): (language, bytes)} of every resource in a PE file's resource
    section, as Windows finds them: by type, name and language."""
    reader = Reader(exe, struct.unpack_from("<I", exe, 0x3C)[0])
    assert reader.take("I") == 0x4550, "not a PE file"
    _, section_count, _, _, _, optional_size, _ = reader.take("HHIIIHH")
    optional_at = reader.pos
    assert reader.take("H") == 0x20B, "not a 64-bit program"
    resource_rva = struct.unpack_from("<I", exe, optional_at + 112 + 2 * 8)[0]
    sections = []
    reader.pos = optional_at + optional_size
    for _ in range(section_count):
        _, _, virtual_address, raw_size, raw_at = reader.take("8sIIII")
        reader.pos += 16
        sections.append((virtual_address, raw_size, raw_at))

    def offset_of(rva):
        for virtual_address, raw_size, raw_at in sections:
            if virtual_address <= rva < virtual_address + raw_size:
                return raw_at + rva - virtual_address
        raise ValueError(f"RVA {rva:#x} is in no section")

    base = offset_of(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", exe, base + directory + 12)
        for index in range(named + numbered):
            name, target = struct.unpack_from("<II", exe, base + directory + 16 + 8 * index)
            if name & 0x80000000:
                at = base + (name & 0x7FFFFFFF)
                length = struct.unpack_from("<H", exe, at)[0]
                name = exe[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield name, target

    found = {}
    for kind, names in entries(0):
        for name, languages in entries(names & 0x7FFFFFFF):
            for language, data_entry in entries(languages & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", exe, base + data_entry)
                found[(kind, name)] = (language, exe[offset_of(rva):offset_of(rva) + size])
    return found


def dialog(data):
    """An extended dialog template as a dict, its controls a list of dicts."""
    reader = Reader(data)
    _, signature, _, ex_style, style, count, x, y, width, height = reader.take("HHIIIHhhhh")
    assert signature == 0xFFFF, "not an extended dialog template"
    template = {"exStyle": ex_style, "style": style, "position": (x, y), "size": (width, height)}
    template["menu"] = reader.name_or_ordinal()
    template["class"] = reader.name_or_ordinal()
    template["title"] = reader.text()
    if style & DS_SETFONT:
        template["pointSize"], _, _, template["charset"] = reader.take("HHBB")
        template["typeface"] = reader.text()
    template["controls"] = []
    for _ in range(count):
        reader.align()
        _, ex_style, style, x, y, width, height, control_id = reader.take("IIIhhhhi")
        control = {"exStyle": ex_style, "style": style, "rect": [x, y, width, height],
                   "id": control_id}
        control["class"] = reader.name_or_ordinal()
        control["text"] = reader.name_or_ordinal()
        extra = reader.take("H")
        reader.pos += extra
        template["controls"].append(control)
    return template


def strings(found):
    """{id: text} of every string table block."""
    table = {}
    for (kind, block), (_, data) in found.items():
        if kind != RT_STRING:
            continue
        reader = Reader(data)
        for index in range(16):
            length = reader.take("H")
            if length:
                table[(block - 1) * 16 + index] = data[reader.pos:reader.pos + 2 * length].decode(
                    "utf-16-le")
                reader.pos += 2 * length
    return table


def version_nodes(data):
    """The version record as a tree: (key, value, children); a text value as a str."""
    def node(reader):
        start = reader.pos
        length, value_length, value_type = reader.take("HHH")
        key = reader.text()
        reader.align()
        if value_type == 1:
            value = reader.data[reader.pos:reader.pos + 2 * value_length].decode(
                "utf-16-le").rstrip("\0")
            reader.pos += 2 * value_length
        else:
            value = reader.data[reader.pos:reader.pos + value_length]
            reader.pos += value_length
        children = []
        while True:
            reader.align()
            if reader.pos >= start + length:
                break
            children.append(node(reader))
        return key, value, children
    return node(Reader(data))


def icon_pixels(data):
    """A 4-bit icon image's rows, top first: (r, g, b), or None where transparent."""
    reader = Reader(data)
    _, width, double_height, _, bits, _, _, _, _, _, _ = reader.take("IiiHHIIiiII")
    assert bits == 4, f"an icon image of {bits} bits per pixel"
    height = double_height // 2
    palette = [tuple(reversed(reader.data[reader.pos + 4 * i:reader.pos + 4 * i + 3]))
               for i in range(16)]
    reader.pos += 64
    color_stride = (width * 4 + 31) // 32 * 4
    mask_stride = (width + 31) // 32 * 4
    colors_at = reader.pos
    mask_at = colors_at + color_stride * height
    rows = []
    for row in range(height):
        stored = height - 1 - row
        pixels = []
        for column in range(width):
            byte = data[colors_at + stored * color_stride + column // 2]
            index = byte >> 4 if column % 2 == 0 else byte & 0x0F
            masked = data[mask_at + stored * mask_stride + column // 8] >> (7 - column % 8) & 1
            if masked:
                # Black under the mask leaves the screen as it is; other colours invert it.
                pixels.append(None if palette[index] == (0, 0, 0) else ("inverted", palette[index]))
            else:
                pixels.append(palette[index])
        rows.append(pixels)
    return width, height, rows
