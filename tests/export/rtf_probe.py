"""A small RTF reader for the tests: checks the braces, collects the text paragraph by paragraph (\\uN
with surrogate pairs, escaped braces and backslashes) and the \\pngblip pictures, and runs unrtf on the
file. Prints JSON."""
import json
import re
import struct
import subprocess
import sys

TOKEN = re.compile(rb"\\([a-z]+)(-?\d+)? ?|\\([\\{}'])|([{}])|(\r?\n)|([^\\{}\r\n]+)")


def main():
    data = open(sys.argv[1], "rb").read()
    depth = 0
    balanced = True
    paragraphs = [[]]
    pictures = []
    picture = None
    skip_next = 0
    stack = []
    for m in TOKEN.finditer(data):
        word, number, escaped, brace, newline, text = m.groups()
        if brace == b"{":
            depth += 1
            stack.append(picture)
            continue
        if brace == b"}":
            depth -= 1
            if depth < 0:
                balanced = False
            if picture is not None and (not stack or stack[-1] is None):
                pictures.append(picture)
                picture = None
            if stack:
                stack.pop()
            continue
        if newline:
            continue
        if picture is not None:
            if word in (b"picw", b"pich", b"picwgoal", b"pichgoal"):
                picture[word.decode()] = int(number)
            elif text:
                picture["hex"] += text.strip()
            continue
        if word == b"pict":
            picture = {"hex": b""}
            continue
        if word in (b"fonttbl", b"colortbl"):
            skip_next = depth
            continue
        if skip_next and depth >= skip_next:
            continue
        skip_next = 0
        if word == b"par":
            paragraphs.append([])
        elif word == b"u":
            paragraphs[-1].append(int(number) & 0xFFFF)
            skip_next = 0
        elif word == b"tab":
            paragraphs[-1].append(9)
        elif escaped:
            paragraphs[-1].append(escaped[0])
        elif text:
            paragraphs[-1].extend(text)
    # drop the "?" fallback after each \u (uc1)
    texts = []
    for codes in paragraphs:
        out = []
        i = 0
        while i < len(codes):
            out.append(codes[i])
            if codes[i] > 127 and i + 1 < len(codes) and codes[i + 1] == ord("?"):
                i += 1
            i += 1
        units = b"".join(struct.pack("<H", c) for c in out)
        texts.append(units.decode("utf-16-le", errors="replace"))
    shapes = []
    for p in pictures:
        png = bytes.fromhex(p["hex"].decode())
        ok = png[:8] == b"\x89PNG\r\n\x1a\n"
        width, height = struct.unpack(">II", png[16:24]) if ok else (0, 0)
        shapes.append({"png": ok, "width": width, "height": height, "picw": p.get("picw"), "pich": p.get("pich")})
    unrtf = subprocess.run(["unrtf", "--html", sys.argv[1]], capture_output=True, check=False)
    print(json.dumps({
        "balanced": balanced and depth == 0,
        "ascii": all(b < 128 for b in data),
        "paragraphs": texts,
        "pictures": shapes,
        "unrtf": unrtf.returncode,
        "unrtf_html": unrtf.stdout.decode("utf-8", errors="replace"),
    }))


if __name__ == "__main__":
    main()
