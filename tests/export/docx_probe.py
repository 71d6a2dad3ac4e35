"""Reads a .docx with python-docx, checks every XML part with xmllint and prints what the tests compare."""
import json
import re
import subprocess
import sys
import zipfile

import docx


def main():
    path = sys.argv[1]
    lint = {}
    with zipfile.ZipFile(path) as archive:
        names = archive.namelist()
        for name in names:
            if name.endswith(".xml") or name.endswith(".rels"):
                result = subprocess.run(["xmllint", "--noout", "-"], input=archive.read(name),
                                        capture_output=True, check=False)
                lint[name] = result.returncode
        document_xml = archive.read("word/document.xml").decode("utf-8")
    doc = docx.Document(path)
    paragraphs = []
    for p in doc.paragraphs:
        runs = [{
            "text": r.text,
            "font": r.font.name,
            "size": r.font.size.pt if r.font.size is not None else None,
            "underline": bool(r.font.underline),
            "bold": bool(r.font.bold),
            "italic": bool(r.font.italic),
        } for r in p.runs]
        paragraphs.append({"text": p.text, "alignment": str(p.alignment), "runs": runs})
    pictures = []
    for shape in doc.inline_shapes:
        embed = shape._inline.graphic.graphicData.pic.blipFill.blip.embed
        image = doc.part.related_parts[embed].image
        pictures.append({"width": shape.width, "height": shape.height, "px_width": image.px_width,
                         "px_height": image.px_height, "content_type": image.content_type})
    print(json.dumps({
        "parts": names,
        "lint": lint,
        "paragraphs": paragraphs,
        "pictures": pictures,
        "docPrIds": re.findall(r'<wp:docPr id="(\d+)"', document_xml),
    }))


if __name__ == "__main__":
    main()
