#!/usr/bin/env python3
"""The text work of scripts/mutants.sh: copying the tree, finding mutation sites,
choosing mutants from a seed, planting one and putting the file back.

  mutants.py sync SOURCE COPY          mirror SOURCE's files (as git lists them) into COPY
  mutants.py plan ROOT COUNT SEED OUT  choose COUNT mutants from SEED; OUT gets a
                                       plan.tsv (one mutant a line, with the function or
                                       constant it lies in) and one diff per mutant
  mutants.py apply ROOT PLAN N         plant mutant N of PLAN in ROOT
  mutants.py executables               targets of the programs in `ctest --show-only=json-v1`
"""
import json
import os
import re
import subprocess
import sys
from difflib import unified_diff

PLUGIN_ROOT = "glimmerfade"  # the plug-in's own code, by layer folder
FOLDERS = ("plugin", "visibility", "netcode", "support")
SUFFIXES = (".cpp", ".cc", ".h", ".hpp")
OPERATORS = ("relational", "logical", "boolean", "constant", "statement", "condition")
RELATIONAL = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
NOT_STATEMENTS = {"return", "if", "for", "while", "switch", "case", "default", "else", "do", "break",
                  "continue", "goto", "using", "typedef", "namespace", "class", "struct", "enum", "union",
                  "template", "static_assert", "friend", "public", "private", "protected", "throw"}
FUNCTION = re.compile(r"\)[\s\w]*$|\) *->.*$")  # a body after a parameter list, e.g. ") const {"
AFTER_PARAMETERS = re.compile(r"\s*((const|noexcept|override|final|mutable)\s*)*(->.*)?")
NOT_CODE_BLOCKS = re.compile(r"\b(namespace|class|struct|enum|union|extern)\b|(=|,|\(|\breturn)\s*$")


def tracked_files(root):
    """Files git would commit (tracked, and new ones not ignored), sorted."""
    out = subprocess.run(["git", "-C", root, "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                         check=True, capture_output=True).stdout.decode()
    return sorted(p for p in set(out.split("\0")) if p and os.path.isfile(os.path.join(root, p)))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def sync(source, copy):
    """Writes only the files whose content differs, so that the copy's build stays
    incremental; removes files of the previous sync that are gone."""
    files = tracked_files(source)
    manifest = os.path.join(copy, ".mutants-files")
    old = set(read(manifest).decode().split("\n")) if os.path.exists(manifest) else set()
    for gone in old - set(files) - {""}:
        if os.path.exists(os.path.join(copy, gone)):
            os.remove(os.path.join(copy, gone))
    for name in files:
        data, target = read(os.path.join(source, name)), os.path.join(copy, name)
        if not os.path.exists(target) or read(target) != data:
            write(target, data)
            os.chmod(target, os.stat(os.path.join(source, name)).st_mode)
    write(manifest, "\n".join(files).encode())


def blank(text):
    """The text with comments, string and character literals and preprocessor lines
    replaced by spaces (newlines and offsets kept), so that sites are found in code only."""
    out, i, n = list(text), 0, len(text)

    def clear(start, end):
        for k in range(start, end):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        if c == "#" and text[text.rfind("\n", 0, i) + 1:i].strip() == "":
            end = i
            while True:
                end = text.find("\n", end)
                if end < 0 or text[end - 1] != "\\":
                    break
                end += 1
            end = n if end < 0 else end
        elif text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
        elif c == '"' and text[i - 1:i] == "R":
            delimiter = text[i + 1:text.index("(", i)]
            end = text.index(")" + delimiter + '"', i) + len(delimiter) + 2
            i -= 1
        elif c == '"' or (c == "'" and not text[i - 1:i].isdigit()):
            end = i + 1
            while end < n and text[end] != c:
                end += 2 if text[end] == "\\" else 1
            end += 1
        else:
            i += 1
            continue
        clear(i, end)
        i = end
    return "".join(out)


def code_block_lines(code):
    """For each line, whether its first character lies in a function body or another
    block of statements (not a namespace, class, enum or braced initialiser)."""
    stack, flags, since = [], [], 0
    for i, c in enumerate(code):
        if i == 0:
            flags.append(False)
        if c == "\n":
            flags.append(bool(stack) and stack[-1])
        if c == "{":
            head = code[since:i].strip()
            in_code = not stack or stack[-1] or bool(FUNCTION.search(head))
            stack.append(in_code and not NOT_CODE_BLOCKS.search(head))
        elif c == "}" and stack:
            stack.pop()
        if c in "{};":
            since = i + 1
    return flags


def enclosing_function(code, offset):
    """The name of the function whose body holds offset in blanked code (a lambda's
    enclosing function), or "namespace scope"."""
    stack, since = [], 0
    for i, c in enumerate(code[:offset]):
        if c == "{":
            stack.append(function_name(code[since:i]))
        elif c == "}" and stack:
            stack.pop()
        if c in "{};":
            since = i + 1
    name = next((name for name in reversed(stack) if name), "")
    if name:
        return name
    # A constant or another declaration outside functions: the name it declares.
    statement = code[since:offset]
    declared = re.search(r"(\w+)\s*(\[[^]]*\])?\s*(=|\{)", statement)
    return declared.group(1) if declared else "namespace scope"


def function_name(head):
    """The qualified name before the parameter list of a function's head, e.g.
    "NetcodeManager::NetcodeLoadLoop"; "" for any other block (a lambda, a class, a
    statement's block)."""
    head = " ".join(head.split())
    if not FUNCTION.search(head) or NOT_CODE_BLOCKS.search(head):
        return ""
    match = re.search(r"(~?[A-Za-z_]\w*(?:::~?[A-Za-z_]\w*)*) ?\(", head)
    if not match or match.group(1).split("::")[-1] in NOT_STATEMENTS | {"catch", "sizeof", "decltype"}:
        return ""
    close = matching_paren(head, match.end() - 1)
    rest = head[close + 1:] if close > 0 else "("
    if not (rest.lstrip().startswith(":") or AFTER_PARAMETERS.fullmatch(rest)):
        return ""
    return match.group(1)


def is_simple_statement(line):
    """A call, an assignment, an increment or a bare return, whole on its line."""
    word = re.match(r"[A-Za-z_]\w*", line)
    if not line.endswith(";") or (word and word.group() in NOT_STATEMENTS):
        return line == "return;"
    if any(line.count(a) != line.count(b) for a, b in ("()", "[]", "{}")):
        return False
    lvalue = r"[\w:.\->\[\]*]+"
    return bool(re.match(rf"{lvalue}(<[\w:, ]*>)?\(.*\);$", line) or
                re.match(rf"{lvalue} ([-+*/%|&^]|<<|>>)?= .*;$", line) or
                re.match(rf"(\+\+|--){lvalue};$|{lvalue}(\+\+|--);$", line))


def constant_replacement(token):
    digits = re.match(r"(0[xX][0-9a-fA-F']+|[\d']+)", token).group(1)
    value = int(digits.replace("'", ""), 0 if digits[:2].lower() == "0x" else 10)
    new = 1 if value == 0 else 0 if value == 1 else value + 1
    return (hex(new) if digits[:2].lower() == "0x" else str(new)) + token[len(digits):]


def matching_paren(code, open_at):
    depth = 0
    for i in range(open_at, len(code)):
        depth += {"(": 1, ")": -1}.get(code[i], 0)
        if depth == 0:
            return i
    return -1


def same_as_relational_or_declaration(condition):
    """A lone == or != is already flipped by the relational operator; a condition
    that declares a variable cannot be negated."""
    comparisons = len(re.findall(r" (==|!=) ", condition))
    combined = re.search(r" (&&|\|\||\?) ", condition)
    return (comparisons == 1 and not combined) or re.search(r"[^=!<>]=[^=]|;", condition)


def sites(text):
    """Every mutation of one file as (start, end, replacement, operator), in text order."""
    code, found = blank(text), []
    lines = code.split("\n")
    for match in re.finditer(r"(?<= )(<=|>=|==|!=|<|>)(?= )", code):
        found.append((match.start(), match.end(), RELATIONAL[match.group()], "relational"))
    for match in re.finditer(r"(?<= )(&&|\|\|)(?= )", code):
        found.append((match.start(), match.end(), "||" if match.group() == "&&" else "&&", "logical"))
    for match in re.finditer(r"\b(true|false)\b", code):
        found.append((match.start(), match.end(), "false" if match.group() == "true" else "true", "boolean"))
    for match in re.finditer(r"(?<![\w.'])(0[xX][0-9a-fA-F']+|\d[\d']*)[uUlLzZ]*(?![\w.'])", code):
        found.append((match.start(), match.end(), constant_replacement(match.group()), "constant"))
    for match in re.finditer(r"\bif (\()", code):
        close = matching_paren(code, match.start(1))
        if close > 0 and not same_as_relational_or_declaration(code[match.start(1) + 1:close]):
            condition = text[match.start(1) + 1:close]
            found.append((match.start(1), close + 1, f"(!({condition}))", "condition"))
    in_code, offset, previous = code_block_lines(code), 0, ""
    for number, line in enumerate(lines):
        statement = line.strip()
        if in_code[number] and previous[-1:] in (";", "{", "}", ":") and is_simple_statement(statement):
            found.append((offset, offset + len(line) + 1, "", "statement"))
        previous = statement or previous
        offset += len(line) + 1
    static_asserts = [(m.start(), code.find(";", m.start())) for m in re.finditer(r"\bstatic_assert\b", code)]
    return sorted((s for s in found if not any(a <= s[0] <= b for a, b in static_asserts)),
                  key=lambda s: (s[0], OPERATORS.index(s[3])))


def folder_of(name):
    """The layer folder of a file of the plug-in's code, e.g. "visibility"; "" for any other file."""
    parts = name.split("/")
    return parts[1] if len(parts) > 2 and parts[0] == PLUGIN_ROOT else ""


def candidates(root):
    result = []
    for name in tracked_files(root):
        if folder_of(name) in FOLDERS and name.endswith(SUFFIXES):
            text = read(os.path.join(root, name)).decode()
            result += [(name,) + site for site in sites(text)]
    return result


def shuffled(count, seed):
    """0..count-1 in an order fixed by seed alone (splitmix64 and Fisher-Yates), the
    same on every machine and Python version."""
    state, order = seed & (2**64 - 1), list(range(count))

    def next_random():
        nonlocal state
        state = (state + 0x9E3779B97F4A7C15) & (2**64 - 1)
        z = state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & (2**64 - 1)
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & (2**64 - 1)
        return z ^ (z >> 31)

    for i in range(count - 1, 0, -1):
        j = next_random() % (i + 1)
        order[i], order[j] = order[j], order[i]
    return order


def mutated(text, site):
    _, start, end, replacement, _ = site
    return text[:start] + replacement + text[end:]


def summary(text, site):
    name, start, end, replacement, operator = site
    line = text.count("\n", 0, start) + 1
    if operator == "statement":
        return line, f"deleted: {text[start:end].strip()}"
    before = " ".join(text[start:end].split())
    before = before if len(before) <= 40 else before[:37] + "..."
    after = " ".join(replacement.split())
    after = after if len(after) <= 43 else after[:40] + "..."
    return line, f"{before} -> {after}"


def tally(found, key, names=()):
    counts = dict.fromkeys(names, 0)
    for site in found:
        counts[key(site)] = counts.get(key(site), 0) + 1
    return ", ".join(f"{k} {v}" for k, v in sorted(counts.items()))


def plan(root, count, seed, out):
    found = candidates(root)
    chosen = sorted((found[i] for i in shuffled(len(found), seed)[:count]), key=lambda s: (s[0], s[1], s[4]))
    print(f"{len(found)} candidate mutants; by folder: {tally(found, lambda s: folder_of(s[0]), FOLDERS)}")
    print(f"by operator: {tally(found, lambda s: s[4])}")
    os.makedirs(out, exist_ok=True)
    rows = []
    for number, site in enumerate(chosen, 1):
        name = site[0]
        text = read(os.path.join(root, name)).decode()
        line, what = summary(text, site)
        function = enclosing_function(blank(text), site[1])
        diff = unified_diff(text.splitlines(True), mutated(text, site).splitlines(True),
                            f"a/{name}", f"b/{name}")
        write(os.path.join(out, f"{number}.diff"), "".join(diff).encode())
        rows.append("\t".join([str(number), folder_of(name), name, str(line), site[4], what,
                               json.dumps(site[1:4]), function]))
    write(os.path.join(out, "plan.tsv"), ("\n".join(rows) + "\n").encode())


def apply(root, plan_file, number):
    for row in read(plan_file).decode().splitlines():
        fields = row.split("\t")
        if fields[0] == number:
            path = os.path.join(root, fields[2])
            text = read(path).decode()
            write(path, mutated(text, (fields[2], *json.loads(fields[6]), "")).encode())
            return
    sys.exit(f"no mutant {number} in {plan_file}")


def executables():
    """Target names of the programs that the tests listed on standard input run."""
    tests = json.load(sys.stdin).get("tests", [])
    names = {os.path.splitext(os.path.basename(t["command"][0]))[0] for t in tests if t.get("command")}
    print(" ".join(sorted(names)))


if __name__ == "__main__":
    command, arguments = sys.argv[1], sys.argv[2:]
    if command == "sync":
        sync(*arguments)
    elif command == "plan":
        plan(arguments[0], int(arguments[1]), int(arguments[2]), arguments[3])
    elif command == "apply":
        apply(*arguments)
    elif command == "executables":
        executables()
    else:
        sys.exit(__doc__)
