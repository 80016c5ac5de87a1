#!/usr/bin/env python3
"""Checks that every instruction in the executable sections of a built
SETUP.EXE belongs to the 386's application integer instruction set, so that the
program runs on every CPU Windows 95 runs on (386DX, 486, Pentium, K5/K6, 6x86).
Newer instructions (cmov, the 0F 1F long nop, bswap, cmpxchg, cpuid, MMX, SSE,
x87) fail the check with their address.

The constructor and destructor lists are data, which some linkers put in the
code section (ld 2.40 puts them in .text, ld 2.44 in .rdata): each is found
through the link map and its own -1 ... 0 framing, and skipped if it lies in
an executable section. Any other bytes that
do not decode fail the check.

Usage: check_instructions.py OBJDUMP SETUP.EXE SETUP.map
"""
import re
import subprocess
import sys

# The PE reader is shared with the Wine harness; ctest puts tests/ on the path.
from support.pe_image import PEImage, BadImage

# Intel-syntax names as objdump prints them for the 386's own encodings, and
# nothing else: with -M intel the string instructions are "movs", "stos" and
# so on whatever their size, so "movsd" or "cmpsd" can only be SSE2. Only what
# a program may execute at user level; privileged and x87 instructions are not
# expected here.
I386_INTEGER = set("""
    aaa aad aam aas adc add and bound bsf bsr bt btc btr bts call cbw cdq clc cld cmc cmp
    cmps cwd cwde daa das dec div enter idiv imul inc int int3 into
    ja jae jb jbe jcxz je jecxz jg jge jl jle jmp jne jno jnp jns jo jp js
    lahf lds lea leave les lfs lgs lods loop loope loopne lss
    mov movs movsx movzx mul neg nop not or pop popa popaw popf popfw
    push pusha pushaw pushf pushfw rcl rcr ret retf rol ror sahf sar sbb
    scas seta setae setb setbe sete setg setge setl setle setne setno setnp
    setns seto setp sets shl shld shr shrd stc std stos sub test xchg
    xlat xor
""".split())
PREFIXES = {"rep", "repz", "repnz", "repe", "repne", "lock", "data16", "addr16",
            "cs", "ds", "es", "fs", "gs", "ss"}
# The one-byte nop (90) is the 386's; "nop" with an operand is the 0F 1F
# long nop of the Pentium Pro.
WITHOUT_OPERANDS = {"nop"}


FRAMED_LISTS = [("constructor list", "__CTOR_LIST__"), ("destructor list", "__DTOR_LIST__")]


def map_address(link_map, name):
    """Address the link map gives name (the script's "name = .")."""
    found = re.search(r"^\s+0x([0-9a-f]+)\s+%s = \.$" % re.escape(name), link_map, re.M)
    if not found:
        sys.exit("link map: no %s" % name)
    return int(found.group(1), 16)


def framed_list(image, what, address):
    """(section, start, end) of the -1, entries..., 0 list at address."""
    rva = address - image.image_base
    section = next((s for s in image.sections if s.holds(rva, 4)), None)
    if section is None:
        sys.exit("the %s at %#x lies in no section" % (what, address))
    if image.word(rva) != 0xFFFFFFFF:
        sys.exit("the %s at %#x does not start with -1: is the link map from this build?" %
                 (what, address))
    at = rva + 4
    while section.holds(at, 4) and image.word(at):
        at += 4
    if not section.holds(at, 4):
        sys.exit("the %s at %#x runs past the end of %s" % (what, address, section.name))
    return section, address, image.image_base + at + 4


def code_ranges(sections, skipped):
    """[start, end) of the executable bytes, less the skipped ranges."""
    ranges = []
    for start, end in sections:
        at = start
        for skip_start, skip_end in sorted(skipped):
            if at <= skip_start < end:
                ranges.append((at, skip_start))
                at = skip_end
        ranges.append((at, end))
    return [(a, b) for a, b in ranges if a < b]


def instructions(objdump, image_path, start, end):
    """(address, length, mnemonic, has operands, text) of each instruction in [start, end)."""
    # -D: whatever the section's flags mean to objdump; -z: zeros too; one
    # line per instruction however long.
    out = subprocess.run(
        [objdump, "-D", "-z", "-M", "intel", "--insn-width=16", "--start-address=%#x" % start,
         "--stop-address=%#x" % end, image_path],
        check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        fields = line.split("\t")
        if len(fields) < 3 or not fields[2].strip() or not re.match(r"\s*[0-9a-f]+:$", fields[0]):
            continue  # headers and labels; a line not understood leaves a gap, which fails
        words = fields[2].split()
        while len(words) > 1 and words[0] in PREFIXES:
            words = words[1:]
        yield (int(fields[0].strip().rstrip(":"), 16), len(fields[1].split()), words[0],
               len(words) > 1, " ".join(fields[2].split()))


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__.strip().splitlines()[-1])
    objdump, image_path, map_path = sys.argv[1:]
    with open(image_path, "rb") as f:
        image = PEImage(f.read())
    with open(map_path) as f:
        link_map = f.read()
    executable = [s for s in image.sections if s.executable and s.size]
    if not executable:
        sys.exit("no executable section found")
    extents = [(image.image_base + s.rva, image.image_base + s.rva + s.size) for s in executable]

    lists = {what: framed_list(image, what, map_address(link_map, name))
             for what, name in FRAMED_LISTS}
    skipped = [(start, end) for section, start, end in lists.values() if section.executable]

    count, failures = 0, []
    for start, end in code_ranges(extents, skipped):
        at = start
        for address, length, mnemonic, has_operands, text in instructions(objdump, image_path,
                                                                         start, end):
            if address != at:
                failures.append("not disassembled: %#x-%#x" % (at, address))
            at = address + length
            count += 1
            if mnemonic not in I386_INTEGER or (has_operands and mnemonic in WITHOUT_OPERANDS):
                failures.append("not a 386 integer instruction at %#x: %s" % (address, text))
        if at != end:
            failures.append("not disassembled: %#x-%#x" % (at, end))
    print("%d instructions in %s" % (count, ", ".join(
        "%s %#x-%#x" % (s.name, *extent) for s, extent in zip(executable, extents))))
    for what, (section, start, end) in lists.items():
        print("%s %#x-%#x in %s: %s" % (what, start, end, section.name,
                                         "skipped" if section.executable else "not code"))
    for failure in failures:
        print(failure)
    sys.exit(1 if failures or count == 0 else 0)


if __name__ == "__main__":
    try:
        main()
    except BadImage as error:
        sys.exit("%s: %s" % (sys.argv[2], error))
