#!/usr/bin/env python3
"""Doxygen input filter: turns the headers' plain // comments into doc comments.

The headers stay plain C++ with // comments that read well in an editor; this
filter gives Doxygen the same text, line for line (so its warnings name the
header's real lines):
- the comment that opens a header documents the file, and every declaration
  of the header joins the group of its library;
- a comment directly above a declaration documents it; when one comment
  stands above a run of declarations (a list of flags, overloads), each of
  the others gets the comment's first paragraph;
- "Win32: Name", "Win32 CRT: Name" and "MFC: Name" become a "Windows
  namesake" paragraph, and "No Win32 namesake" one that says None;
- an "Example:" followed by indented lines becomes a code block;
- characters that Doxygen or Markdown would read as commands are escaped.
Comments set off by a blank line, inside function bodies or after code on
the same line are left alone.
"""
import re
import sys

GROUPS = [("winapi/include/", "libwinapi"), ("velfirst/include/", "libvelfirst"),
          ("corefoundation/include/", "xmltree"), ("include/", "libvelut")]
NAMESAKE = re.compile(r"(?<!from )\b(?:Win32(?: CRT)?|MFC): (?=[A-Za-z_])")
NO_NAMESAKE = re.compile(r"\b(?:No (?:Win32|MFC) namesake|Not a Win32 function)\b")
NAMESAKE_AT_END = re.compile(r"(?<!from )\b(?:Win32|MFC):$")
TRAILING = re.compile(r"[;,]\s*(//) ?(?!NOLINT)(.*)$")
SCOPE = re.compile(r"\b(namespace|class|struct|union|enum|extern|CF_ENUM|CF_OPTIONS)\b")


def escape(text, state=None):
    """Escapes Doxygen's and Markdown's special characters outside `code`.

    Quotes are escaped too: Doxygen would leave a "quoted" text unescaped.
    `state` carries an open code span from one line of a comment to the next.
    """
    if state is None:
        state = {"code": False}
    parts = text.split("`")
    for i in range(len(parts)):
        if (i % 2 == 1) == state["code"]:
            parts[i] = re.sub(r'([\\@<>&#%$"])', r"\\\1", parts[i])
            parts[i] = re.sub(r"(^|[^\w])::(?=\w)", r"\1\\::", parts[i])
    if len(parts) % 2 == 0:
        state["code"] = not state["code"]
    return "`".join(parts)


def code_of(line):
    """The line without string literals and trailing comment, for counting."""
    line = re.sub(r'"(\\.|[^"\\])*"|\'(\\.|[^\'\\])*\'', '""', line)
    return line.split("//")[0]


def group_of(path):
    path = path.replace("\\", "/")
    for folder, group in GROUPS:
        if "/" + folder in "/" + path:
            return group
    return None


def doc_lines(block, name_hint):
    """The doc-comment form of a block of // lines (without their prefix)."""
    out, in_code = [], False
    state = {"code": False}
    for i, text in enumerate(block):
        if i == 0 and name_hint:
            text = re.sub(r"^" + re.escape(name_hint) + r": ", "", text)
            text = text[:1].upper() + text[1:]
        indented = text.startswith("  ")
        if in_code and not indented:
            out[-1] += " \\endcode"
            in_code = False
        if in_code:
            out.append(text)
            continue
        starts_code = (re.match(r"^Example\b[^:]*:$", text.strip()) and i + 1 < len(block)
                       and block[i + 1].startswith("  "))
        text = escape(text, state)
        text = NAMESAKE.sub(r"\\win32 ", text)
        text = NAMESAKE_AT_END.sub(r"\\win32", text)
        text = NO_NAMESAKE.sub(r"\\win32 None", text)
        if starts_code:
            text += " \\code"
            in_code = True
        out.append(text)
    if in_code:
        out[-1] += " \\endcode"
    return out


def first_paragraph(block):
    lines = []
    for text in block:
        if not text.strip() or text.startswith("  "):
            break
        lines.append(text)
    joined = " ".join(lines)
    return NAMESAKE.sub("", escape(re.sub(r"^[A-Za-z_][\w:~]*: ", "", joined)))


def main():
    path = sys.argv[1]
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    group = group_of(path)
    out = list(lines)
    stack = []  # one entry per open brace: True for a scope, False for a body
    pending = ""  # the text since the last statement, to classify a brace
    i, n = 0, len(lines)
    head_done = False
    continued = set()  # lines that continue a trailing comment
    while i < n:
        line = lines[i]
        stripped = line.strip()
        in_body = not all(stack)
        trailing = TRAILING.search(line)
        if trailing and not in_body and not stripped.startswith("//"):
            out[i] = line[:trailing.start(1)] + "///< " + escape(trailing.group(2))
            column, k = trailing.start(1), i + 1
            while k < n and lines[k].strip().startswith("//") and lines[k].index("//") == column:
                out[k] = lines[k][:column] + "///< " + escape(lines[k][column + 2:].strip())
                continued.add(k)
                k += 1
        if i in continued:
            i += 1
            continue
        if stripped.startswith("//") and not in_body:
            j = i
            while j < n and lines[j].strip().startswith("//"):
                j += 1
            indent = line[:len(line) - len(line.lstrip())]
            block = [re.sub(r"^// ?", "", lines[k].strip()) for k in range(i, j)]
            if not head_done and i == 0:
                out[i:j] = ["/// " + t for t in doc_lines(block, None)]
                if j < n and lines[j].strip() == "#pragma once":
                    out[j] = "/// \\file"
                    if group and j + 1 < n:
                        out[j + 1] = "/** \\addtogroup %s */ /** @{ */ %s" % (group, lines[j + 1])
                head_done = True
                i = j + 2
                continue
            if j < n and lines[j].strip() and not lines[j].lstrip().startswith("#pragma"):
                hint = re.match(r"^([A-Za-z_][\w:~]*): ", block[0])
                name = hint.group(1) if hint and hint.group(1) in lines[j] else None
                out[i:j] = [indent + "/// " + t for t in doc_lines(block, name)]
                share_with_run(lines, out, j, first_paragraph(block))
            i = j
            continue
        if stripped.startswith("#"):
            while i < n and lines[i].rstrip().endswith("\\"):
                i += 1
            i += 1
            continue
        for ch in code_of(line):
            if ch == "{":
                stack.append(bool(SCOPE.search(pending)) and all(stack))
                pending = ""
            elif ch == "}":
                if stack:
                    stack.pop()
                pending = ""
            elif ch == ";":
                pending = ""
            else:
                pending += ch
        pending += " "
        i += 1
    if group:
        out.append("/** @} */")
    sys.stdout.write("\n".join(out))


def with_brief(line, brief):
    """The line with `brief` as its trailing doc comment, before any // comment."""
    comment = re.search(r"\s*//(?!/).*$", line)
    if comment:
        return line[:comment.start()] + "  ///< " + brief + " " + line[comment.start():]
    return line + "  ///< " + brief


def share_with_run(lines, out, start, brief):
    """Gives `brief` to the second and later declarations of the run at `start`."""
    depth, enum, count = 0, False, 0
    pending = ""
    i = start
    while i < len(lines):
        stripped = lines[i].strip()
        if depth == 0 and (not stripped or stripped.startswith("//")):
            return
        if stripped.startswith("#"):
            if stripped.startswith("#define") and depth == 0 and not stripped.endswith("\\"):
                count += 1
                if count > 1 and brief:
                    out[i] = with_brief(out[i], brief)
            i += 1
            continue
        ends = False
        for ch in code_of(lines[i]):
            if ch == "{":
                if depth == 0 and re.search(r"\benum\b|CF_ENUM|CF_OPTIONS", pending):
                    enum = True
                depth += 1
                pending = ""
            elif ch == "}":
                depth -= 1
                if depth == 0 and not enum:
                    ends = True
                if depth < 0:
                    return
            elif ch == ";" and depth == 0:
                ends = True
                enum = False
                pending = ""
            else:
                pending += ch
        if ends:
            count += 1
            if count > 1 and brief:
                out[i] = with_brief(out[i], brief)
        i += 1


if __name__ == "__main__":
    main()
