#!/usr/bin/env python3
"""Checks that every instruction in the code sections of a built SETUP.EXE
belongs to the 386's application integer instruction set, so that the program
runs on every CPU Windows 95 runs on (386DX, 486, Pentium, K5/K6, 6x86).
Newer instructions (cmov, the 0F 1F long nop, bswap, cmpxchg, cpuid, MMX, SSE,
x87) fail the check with their address.

The linker puts the constructor and destructor lists in the code section;
they are skipped by their extent, found through the link map and the lists'
own -1 ... 0 framing. Any other bytes that do not decode fail the check.

Usage: check_instructions.py OBJDUMP SETUP.EXE SETUP.map
"""
import re
import struct
import subprocess
import sys

# Intel-syntax names as objdump prints them. Only what a program may execute
# at user level; privileged and x87 instructions are not expected here.
I386_INTEGER = set("""
    aaa aad aam aas adc add and bound bsf bsr bt btc btr bts call cbw cdq clc cld cmc cmp
    cmps cmpsb cmpsw cmpsd cwd cwde daa das dec div enter idiv imul inc int int3 into
    ja jae jb jbe jcxz je jecxz jg jge jl jle jmp jne jno jnp jns jo jp js
    lahf lds lea leave les lfs lgs lods lodsb lodsw lodsd loop loope loopne lss
    mov movs movsb movsw movsd movsx movzx mul neg nop not or pop popa popad popf popfd
    push pusha pushad pushf pushfd rcl rcr ret retf rol ror sahf sar sbb
    scas scasb scasw scasd seta setae setb setbe sete setg setge setl setle setne setno setnp
    setns seto setp sets shl shld shr shrd stc std stos stosb stosw stosd sub test xchg
    xlat xor
""".split())
PREFIXES = {"rep", "repz", "repnz", "repe", "repne", "lock", "data16", "addr16",
            "cs", "ds", "es", "fs", "gs", "ss"}
# The one-byte nop (90) is the 386's; "nop" with an operand is the 0F 1F
# long nop of the Pentium Pro.
WITHOUT_OPERANDS = {"nop"}


def code_sections(objdump, image):
    """(name, address, size, file offset) of each section flagged CODE."""
    out = subprocess.run([objdump, "-h", image], check=True, capture_output=True,
                         text=True).stdout.splitlines()
    sections = []
    for line, flags in zip(out, out[1:]):
        fields = line.split()
        if len(fields) == 7 and fields[0].isdigit() and "CODE" in flags:
            sections.append((fields[1], int(fields[3], 16), int(fields[2], 16),
                             int(fields[5], 16)))
    return sections


def symbol(link_map, name):
    found = re.search(r"^\s+0x([0-9a-f]+)\s+%s = \.$" % re.escape(name), link_map, re.M)
    if not found:
        sys.exit("link map: no %s" % name)
    return int(found.group(1), 16)


def framed_list_end(read_word, start, what):
    """End of a -1, entries..., 0 list at start."""
    if read_word(start) != 0xFFFFFFFF:
        sys.exit("%s at %#x does not start with -1: is the link map from this build?" %
                 (what, start))
    at = start + 4
    while read_word(at) != 0:
        at += 4
    return at + 4


def data_ranges(image_bytes, sections, link_map):
    """[start, end) of the constructor and destructor lists, which must follow each other."""
    def read_word(address):
        for _, start, size, offset in sections:
            if start <= address and address + 4 <= start + size:
                return struct.unpack_from("<I", image_bytes, offset + address - start)[0]
        sys.exit("address %#x lies outside the code sections" % address)

    ctors = symbol(link_map, "__CTOR_LIST__")
    dtors = symbol(link_map, "__DTOR_LIST__")
    ctors_end = framed_list_end(read_word, ctors, "the constructor list")
    if ctors_end != dtors:
        sys.exit("the destructor list does not follow the constructor list")
    return [(ctors, framed_list_end(read_word, dtors, "the destructor list"))]


def code_ranges(sections, skipped):
    ranges = []
    for _, start, size, _ in sections:
        at, end = start, start + size
        for skip_start, skip_end in sorted(skipped):
            if at <= skip_start < end:
                ranges.append((at, skip_start))
                at = skip_end
        ranges.append((at, end))
    return [(a, b) for a, b in ranges if a < b]


def instructions(objdump, image, start, end):
    """(address, mnemonic, has operands, text) of each instruction in [start, end)."""
    out = subprocess.run(
        [objdump, "-d", "-z", "-M", "intel", "--start-address=%#x" % start,
         "--stop-address=%#x" % end, image],
        check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        fields = line.split("\t")
        if len(fields) < 3 or not re.match(r"\s*[0-9a-f]+:$", fields[0]):
            continue  # headers, labels, and the byte-only continuation of a long instruction
        words = fields[2].split()
        while len(words) > 1 and words[0] in PREFIXES:
            words = words[1:]
        yield int(fields[0].strip().rstrip(":"), 16), words[0], len(words) > 1, fields[2].strip()


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__.strip().splitlines()[-1])
    objdump, image, map_path = sys.argv[1:]
    with open(image, "rb") as f:
        image_bytes = f.read()
    with open(map_path) as f:
        link_map = f.read()
    sections = code_sections(objdump, image)
    if not sections:
        sys.exit("no code section found")
    skipped = data_ranges(image_bytes, sections, link_map)

    count, failures = 0, []
    for start, end in code_ranges(sections, skipped):
        for address, mnemonic, has_operands, text in instructions(objdump, image, start, end):
            count += 1
            if mnemonic not in I386_INTEGER or (has_operands and mnemonic in WITHOUT_OPERANDS):
                failures.append("%#x: %s" % (address, text))
    print("%d instructions in %s; skipped as data: %s" % (
        count, ", ".join(s[0] for s in sections),
        ", ".join("%#x-%#x" % r for r in skipped)))
    for failure in failures:
        print("not a 386 integer instruction at " + failure)
    sys.exit(1 if failures or count == 0 else 0)


if __name__ == "__main__":
    main()
