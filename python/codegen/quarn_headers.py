"""Reads the public C headers: exports, types, constants and their contract comments.

One parser serves the Python binding generator, the API page generator, the export-table checks
of the .so files and the DLLs, the Windows stack-balance hosts and the coverage host, so a new
export declared in a header reaches all of them with no hand edit. It understands the declaration forms the
headers use (C99, one export per statement, `QUARN_API <result> [QUARN_CALL] name(args);`),
not C in general."""
import re
from dataclasses import dataclass, field


@dataclass
class Param:
    name: str
    ctype: str  # normalised C type, e.g. "const TQUARNVector*", "float", "TQGLSceneProc"
    array: int = 0  # element count of a fixed-size array member, 0 otherwise


@dataclass
class Export:
    name: str
    result: str
    params: list
    family: str
    comment: str  # the contract: the comment block above, or the comment trailing the line
    declaration: str  # the declaration as one line, for the docs
    stdcall: bool  # declared with QUARN_CALL


@dataclass
class Header:
    path: str
    title: str = ""  # the file's opening comment
    structs: list = field(default_factory=list)  # (name, [Param])
    aliases: list = field(default_factory=list)  # (name, ctype) plain typedefs
    callbacks: list = field(default_factory=list)  # (name, result, [Param])
    constants: list = field(default_factory=list)  # (name, int value)
    exports: list = field(default_factory=list)
    family_notes: dict = field(default_factory=dict)  # family -> [comment]
    families: list = field(default_factory=list)  # in header order
    types: list = field(default_factory=list)  # ("alias" | "struct" | "callback", entry) in order


_RULER = re.compile(r"^-{2,}\s*(.*?)\s*-*$")


def _clean_comment(text):
    body = text[2:-2] if text.startswith("/*") else text[2:]
    lines = [re.sub(r"^\s*\*?\s?", "", line).rstrip() for line in body.splitlines()]
    return "\n".join(lines).strip()


def normalise_type(text):
    text = re.sub(r"\bstruct\s+", "struct ", text.strip())
    text = re.sub(r"\s*\*\s*", "*", text)
    text = re.sub(r"\s+", " ", text)
    return text.strip()


def _split_params(text):
    text = text.strip()
    if text in ("", "void"):
        return []
    params = []
    for i, part in enumerate(p.strip() for p in text.split(",")):
        m = re.match(r"^(.*?)(\w+)\s*(?:\[(\d+)\])?$", part)
        if not m or not m.group(1).strip():  # unnamed parameter: the whole text is the type
            params.append(Param(f"arg{i}", normalise_type(part)))
        else:
            params.append(Param(m.group(2), normalise_type(m.group(1)), int(m.group(3) or 0)))
    return params


def _statements(text):
    """Yields (kind, payload, first line, last line): ("comment", text), ("define", line) or
    ("code", statement without its ';')."""
    i, line, n = 0, 1, len(text)
    code, code_line, depth = [], None, 0
    at_line_start = True
    while i < n:
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            chunk = text[i:end]
            yield "comment", chunk, line, line + chunk.count("\n")
        elif text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            chunk = text[i:end]
            yield "comment", chunk, line, line
        elif text[i] == "#" and at_line_start:
            end = i
            while True:
                end = text.find("\n", end)
                if end < 0:
                    end = n
                    break
                if text[end - 1] != "\\":
                    break
                end += 1
            chunk = text[i:end]
            yield "define", chunk, line, line + chunk.count("\n")
        else:
            c = text[i]
            if c == "\n":
                at_line_start = True
            elif not c.isspace():
                at_line_start = False
                if code_line is None:
                    code_line = line
            code.append(c)
            if c == "{" and "".join(code).strip().startswith("extern"):
                code, code_line = [], None  # extern "C" { ... }: its contents are top level
            elif c == "{":
                depth += 1
            elif c == "}" and depth == 0:
                code, code_line = [], None
            elif c == "}":
                depth -= 1
            elif c == ";" and depth == 0:
                yield "code", "".join(code)[:-1].strip(), code_line, line
                code, code_line = [], None
            line += c == "\n"
            i += 1
            continue
        line += chunk.count("\n")
        if not chunk.startswith("#"):
            at_line_start = False
        i = end


_FUNC = re.compile(r"^QUARN_API\s+(.*?)\b(QUARN_CALL\s+)?(\w+)\s*\((.*)\)$", re.S)
_CALLBACK = re.compile(r"^typedef\s+(.*?)\(\s*QUARN_CALL\s*\*\s*(\w+)\s*\)\s*\((.*)\)$", re.S)
_STRUCT = re.compile(r"^typedef\s+struct\s+\w*\s*\{(.*)\}\s*(\w+)$", re.S)
_ALIAS = re.compile(r"^typedef\s+(.*?)\s*\b(\w+)$", re.S)
_DEFINE = re.compile(r"^#\s*define\s+(\w+)\s+(-?(?:0x[0-9a-fA-F]+|\d+))\b")


def parse(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    header = Header(path)
    family = ""
    pending = []  # (comment, first line, last line) since the last statement
    last_code_end = -1
    last_export = None
    group_comment = ""  # a comment that covers the declarations right after it
    for kind, payload, first, last in _statements(text):
        if kind == "comment":
            cleaned = _clean_comment(payload)
            if cleaned.startswith("clang-format"):
                continue
            ruler = _RULER.match(cleaned)
            if first == last_code_end and last_export is not None and not last_export.comment:
                last_export.comment = cleaned  # trailing on the declaration's own line
            elif ruler and cleaned.startswith("--"):
                family = ruler.group(1)
                if family not in header.families:
                    header.families.append(family)
                pending, group_comment = [], ""
            elif not header.title and not header.structs and not header.exports:
                header.title = cleaned
            else:
                pending.append((cleaned, first, last))
            continue
        if kind == "define":
            m = _DEFINE.match(payload)
            if m:
                header.constants.append((m.group(1), int(m.group(2), 0)))
            continue
        statement = re.sub(r"\s+", " ", payload)
        # Comments directly above (no blank line) document this statement; earlier ones are
        # notes on the family.
        above = ""
        if pending and pending[-1][2] == first - 1:
            above = pending.pop()[0]
        if pending:
            header.family_notes.setdefault(family, []).extend(c for c, _, _ in pending)
        pending = []
        m = _FUNC.match(statement)
        if m:
            if above:
                group_comment = above
            elif last_code_end != first - 1:
                group_comment = ""  # a blank line ends the group a comment covered
            export = Export(m.group(3), normalise_type(m.group(1)), _split_params(m.group(4)),
                            family, above or "", statement + ";", bool(m.group(2)))
            export.group_comment = group_comment if not above else ""
            header.exports.append(export)
            last_export = export
        elif _CALLBACK.match(statement):
            m = _CALLBACK.match(statement)
            header.callbacks.append((m.group(2), normalise_type(m.group(1)),
                                     _split_params(m.group(3))))
            header.types.append(("callback", header.callbacks[-1]))
            last_export = None
        elif _STRUCT.match(statement):
            m = _STRUCT.match(statement)
            members = []
            for decl in filter(None, (d.strip() for d in m.group(1).split(";"))):
                dm = re.match(r"^(.*?)\s*(\w+(?:\s*\[\d+\])?(?:\s*,\s*\w+(?:\s*\[\d+\])?)*)$", decl)
                ctype = normalise_type(dm.group(1))
                for name in dm.group(2).split(","):
                    nm = re.match(r"\s*(\w+)\s*(?:\[(\d+)\])?", name)
                    members.append(Param(nm.group(1), ctype, int(nm.group(2) or 0)))
            header.structs.append((m.group(2), members))
            header.types.append(("struct", header.structs[-1]))
            last_export = None
        elif _ALIAS.match(statement):
            m = _ALIAS.match(statement)
            header.aliases.append((m.group(2), normalise_type(m.group(1))))
            header.types.append(("alias", header.aliases[-1]))
            last_export = None
        last_code_end = last
    return header
