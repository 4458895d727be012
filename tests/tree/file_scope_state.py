#!/usr/bin/env python3
"""Lists every mutable variable a C++ source keeps for the life of the
process: defined at namespace scope (anonymous namespaces and extern "C"
blocks included) or static inside a function. Objects that are const
themselves (not pointers to const) and constexpr ones are no state.

    file_scope_state.py SOURCE_DIR...   prints "path:line: name"
"""
import os
import re
import sys


def blank_out(text):
    """The text with comments, string and character literals and
    preprocessor lines emptied, every newline kept so lines still count."""
    out = []
    i, n = 0, len(text)
    while i < n:
        if text.startswith('//', i):
            j = text.find('\n', i)
            i = n if j < 0 else j
        elif text.startswith('/*', i):
            j = text.find('*/', i + 2)
            j = n if j < 0 else j + 2
            out.append('\n' * text.count('\n', i, j))
            i = j
        elif text[i] in '"\'':
            quote = text[i]
            raw = quote == '"' and re.match(r'"([^(\s]*)\(', text[i:]) if i and text[i - 1] == 'R' else None
            if raw:
                end = ')' + raw.group(1) + '"'
                j = text.find(end, i) + len(end)
            else:
                j = i + 1
                while j < n and text[j] != quote:
                    j += 2 if text[j] == '\\' else 1
                j += 1
            out.append(quote * 2 + '\n' * text.count('\n', i, j))
            i = j
        else:
            out.append(text[i])
            i += 1
    text = ''.join(out)
    return re.sub(r'^[ \t]*#.*(\\\n.*)*$', lambda m: '\n' * m.group(0).count('\n'), text, flags=re.M)


NOT_OBJECTS = ('using ', 'typedef ', 'template', 'friend ', 'return', 'struct ', 'class ',
               'enum ', 'union ', 'extern ', 'static_assert', 'namespace ')
FUNCTION = re.compile(r'[\w:<>,\s*&]+?[\s*&](~?\w+|operator\W+)\s*\((.*)\)\s*(const|noexcept|override|= *default|= *delete)?\s*$')
PARAMETER = re.compile(r'\s*(const\s+)?[\w:<>]+[\s*&]+\w+|\s*(const\s+)?\w+(::\w+)*\s*[*&]*\s*(,|$)')
OBJECT = re.compile(r'(?:(?:static|inline|thread_local)\s+)*[\w:<>,\s*&]+?[\s*&]+(\w+)\s*(\[[^]]*\])*\s*(=|\{|\(|$)')


def object_name(statement):
    """The name a statement at namespace scope defines as a mutable
    object, or None."""
    s = ' '.join(statement.split())
    if not s or s.startswith(NOT_OBJECTS):
        return None
    function = FUNCTION.match(s)
    if function and (function.group(2).strip() in ('', 'void') or PARAMETER.match(function.group(2))):
        return None
    declarator = re.split(r'[=({]', s, maxsplit=1)[0]
    # What stands inside a template's arguments is not the object's own.
    while re.search(r'<[^<>]*>', declarator):
        declarator = re.sub(r'<[^<>]*>', '', declarator)
    if 'constexpr' in declarator.split():
        return None
    # const applies to the object unless it stands before a '*' only.
    if re.search(r'\bconst\b', declarator) and not re.search(r'\*\s*\w+(\[[^]]*\])*\s*$', declarator):
        return None
    if re.search(r'\*\s*const\s+\w+(\[[^]]*\])*\s*$', declarator):
        return None
    pointer_to_function = re.search(r'\(\s*\*\s*(\w+)\s*\)\s*\(', s)
    if pointer_to_function:
        return pointer_to_function.group(1)
    obj = OBJECT.match(s)
    return obj.group(1) if obj else None


def opens_initializer(head):
    """A '{' at namespace scope that belongs to an object's initializer
    (`Foo x{...}`, `Foo x = {...}`) rather than a function, type or
    namespace body."""
    if re.search(r'(^|\s)(struct|class|union|enum)\b', head) and not re.search(r'=\s*$', head):
        return False
    if re.search(r'\)\s*(const|noexcept|override|->[^=]*)?\s*$', head):
        return False
    return bool(re.search(r'(=|\w|\])\s*$', head))


def scan(path):
    text = blank_out(open(path, encoding='utf-8', errors='replace').read())
    hits = []
    scopes = ['namespace']  # 'namespace', 'initializer' or 'body'
    statement, statement_line, line = '', 1, 1
    for c in text:
        if c == '\n':
            line += 1
        if c == '{':
            head = statement.strip()
            if re.search(r'(^|\s)namespace(\s+[\w:]+)?\s*$', head) or re.fullmatch(r'extern\s*""', head):
                scopes.append('namespace')
            elif scopes[-1] == 'initializer' or (scopes[-1] == 'namespace' and opens_initializer(head)):
                scopes.append('initializer')
            else:
                scopes.append('body')
            if scopes[-1] == 'initializer':
                statement += c
            else:
                statement = ''
        elif c == '}':
            scope = scopes.pop() if len(scopes) > 1 else 'namespace'
            statement = statement + c if scope == 'initializer' else ''
        elif c == ';' and scopes[-1] != 'initializer':
            s = statement.strip()
            local_static = scopes[-1] == 'body' and re.match(r'static\s', s)
            if scopes[-1] == 'namespace' or local_static:
                name = object_name(s)
                if name:
                    hits.append((statement_line, name))
            statement = ''
        else:
            if not statement.strip():
                statement_line = line
            statement += c
    return hits


def main(roots):
    for root in roots:
        for folder, _, files in sorted(os.walk(root)):
            for name in sorted(files):
                if name.endswith(('.cpp', '.h')):
                    path = os.path.join(folder, name)
                    for line, variable in scan(path):
                        print(f'{path}:{line}: {variable}')


if __name__ == '__main__':
    main(sys.argv[1:])
