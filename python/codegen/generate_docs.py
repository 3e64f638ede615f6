"""Writes one Markdown page per export family from the public headers' contract comments.

usage: generate_docs.py HEADER_DIR OUTPUT_DIR
       generate_docs.py --check HEADER_DIR OUTPUT_DIR   (exit 1 when a page differs)

The header stays the one place where an export's contract is written; the pages in docs/api
are derived from it (scripts/generate-api-docs.sh regenerates them after a header changes)."""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import quarn_headers  # noqa: E402

LIBRARIES = (("QuarnGL.h", "libQuarnGL.so", "qglGetLastError"),
             ("QuarnPhysics.h", "libQuarnPhysics.so", "qpGetLastError"))


def slug(text):
    return re.sub(r"[^a-z0-9]+", "-", text.lower()).strip("-")


def paragraph(comment):
    """Comment text as Markdown: lines joined into paragraphs, "- " items kept as a list."""
    blocks, current = [], []
    for line in comment.splitlines():
        line = line.strip()
        if not line or line.startswith("- "):
            if current:
                blocks.append(" ".join(current))
            current = [line] if line else []
            if not line:
                blocks.append("")
        else:
            current.append(line)
    if current:
        blocks.append(" ".join(current))
    text = "\n".join(b if b.startswith("- ") or not b else b for b in blocks)
    return re.sub(r"\n(?!- )(?=\S)", "\n\n", text).replace("\n\n\n", "\n\n").strip()


def family_page(library, header_name, error_export, family, notes, exports):
    lines = [f"# {library}: {family}", "",
             f"Declared in `include/quarn/{header_name}`; generated from its comments by "
             "`scripts/generate-api-docs.sh`. A failing export records a message readable with "
             f"`{error_export}` and returns its neutral value (0, NULL, false) unless its line "
             "says otherwise.", ""]
    for note in notes:
        lines += [paragraph(note), ""]
    # Declarations covered by one comment above them are shown together, the comment after.
    groups = []
    for e in exports:
        key = e.comment or e.group_comment
        if groups and not e.comment and key and key == groups[-1][0]:
            groups[-1][1].append(e)
        else:
            groups.append((key, [e]))
    for comment, members in groups:
        lines.append("```c")
        lines += [re.sub(r"\bQUARN_API |\bQUARN_CALL ", "", e.declaration) for e in members]
        lines.append("```")
        if comment:
            lines += ["", paragraph(comment)]
        lines.append("")
    return "\n".join(lines)


def pages(header_dir):
    """Every page of docs/api by file name, the index included."""
    index = ["# API reference", "",
             "One page per export family, generated from the contract comments of the public "
             "headers (`scripts/generate-api-docs.sh`). The link header "
             "`include/quarn/QuarnLink.h` (host-side helpers joining the two libraries) is "
             "documented in its own comments.", ""]
    out = {}
    for header_name, library, error_export in LIBRARIES:
        header = quarn_headers.parse(os.path.join(header_dir, header_name))
        index += [f"## {library}", "", paragraph(header.title), ""]
        for family in header.families:
            exports = [e for e in header.exports if e.family == family]
            if not exports:
                continue
            name = f"{slug(library.split('.')[0][3:])}-{slug(family.split(':')[0].split('(')[0])}.md"
            out[name] = family_page(library, header_name, error_export, family,
                                    header.family_notes.get(family, []), exports)
            index.append(f"- [{family}]({name}) — {len(exports)} exports")
        index.append("")
    out["README.md"] = "\n".join(index)
    return out


def check(header_dir, output):
    """Exit status 1 and the names of the pages that differ from what the headers make."""
    wanted = pages(header_dir)
    present = {n for n in os.listdir(output) if n.endswith(".md")}
    stale = sorted(n for n, text in wanted.items()
                   if n not in present or open(os.path.join(output, n)).read() != text)
    stale += sorted(present - set(wanted))
    for name in stale:
        print(f"{output}/{name} differs from the headers")
    if stale:
        print("run scripts/generate-api-docs.sh and commit the pages")
    return 1 if stale else 0


def main():
    if sys.argv[1] == "--check":
        sys.exit(check(sys.argv[2], sys.argv[3]))
    header_dir, output = sys.argv[1], sys.argv[2]
    os.makedirs(output, exist_ok=True)
    wanted = pages(header_dir)
    for name, text in wanted.items():
        with open(os.path.join(output, name), "w") as f:
            f.write(text)
    for stale in set(os.listdir(output)) - set(wanted):
        if stale.endswith(".md"):
            os.remove(os.path.join(output, stale))


if __name__ == "__main__":
    main()
