#include "dialog_template.h"

namespace {

constexpr std::uint32_t kSetFontStyle = 0x40; // DS_SETFONT
constexpr std::size_t kClassicHeaderSize = 18;
constexpr std::size_t kExtendedHeaderSize = 26;
constexpr std::size_t kExtendedFontFieldsSize = 4; // weight, italic, character set

std::uint16_t Word(const std::uint8_t* data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
}

std::uint32_t Dword(const std::uint8_t* data, std::size_t at) {
    return static_cast<std::uint32_t>(Word(data, at) | Word(data, at + 2) << 16);
}

void PutWord(std::uint8_t* out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::size_t AlignToDword(std::size_t at) {
    return (at + 3) & ~static_cast<std::size_t>(3);
}

// Offset after a zero-terminated UTF-16 text at `at`, or 0 when it runs past size.
std::size_t SkipText(const std::uint8_t* data, std::size_t size, std::size_t at) {
    for (; at + 2 <= size; at += 2) {
        if (Word(data, at) == 0) {
            return at + 2;
        }
    }
    return 0;
}

// Offset after a menu or class field: nothing, an ordinal or a text.
std::size_t SkipNameOrOrdinal(const std::uint8_t* data, std::size_t size, std::size_t at) {
    if (at + 2 > size) {
        return 0;
    }
    switch (Word(data, at)) {
    case 0x0000:
        return at + 2;
    case 0xFFFF:
        return at + 4 <= size ? at + 4 : 0;
    default:
        return SkipText(data, size, at);
    }
}

std::size_t FaceLength(const std::uint16_t* face) {
    std::size_t length = 0;
    while (face[length] != 0) {
        ++length;
    }
    return length;
}

} // namespace

bool ReadDialogTemplate(const std::uint8_t* data, std::size_t size, DialogTemplateLayout& layout) {
    if (size < kClassicHeaderSize) {
        return false;
    }
    layout.extended = Word(data, 0) == 1 && Word(data, 2) == 0xFFFF;
    std::size_t at;
    if (layout.extended) {
        if (size < kExtendedHeaderSize) {
            return false;
        }
        layout.style = Dword(data, 12);
        layout.x = static_cast<std::int16_t>(Word(data, 18));
        layout.y = static_cast<std::int16_t>(Word(data, 20));
        at = kExtendedHeaderSize;
    } else {
        layout.style = Dword(data, 0);
        layout.x = static_cast<std::int16_t>(Word(data, 10));
        layout.y = static_cast<std::int16_t>(Word(data, 12));
        at = kClassicHeaderSize;
    }
    at = SkipNameOrOrdinal(data, size, at); // menu
    if (at != 0) {
        at = SkipNameOrOrdinal(data, size, at); // window class
    }
    if (at != 0) {
        at = SkipText(data, size, at); // caption
    }
    if (at == 0) {
        return false;
    }
    layout.hasFont = (layout.style & kSetFontStyle) != 0;
    layout.pointSize = 0;
    layout.pointSizeAt = at;
    layout.faceAt = at;
    if (layout.hasFont) {
        if (at + 2 > size) {
            return false;
        }
        layout.pointSize = Word(data, at);
        layout.faceAt = at + 2 + (layout.extended ? kExtendedFontFieldsSize : 0);
        at = SkipText(data, size, layout.faceAt);
        if (at == 0) {
            return false;
        }
    }
    layout.controlsAt = AlignToDword(at);
    return layout.controlsAt <= size || Word(data, layout.extended ? 16 : 8) == 0;
}

bool DialogFaceIs(const std::uint8_t* data, const DialogTemplateLayout& layout,
                  const char* asciiFace) {
    if (!layout.hasFont) {
        return false;
    }
    std::size_t at = layout.faceAt;
    for (std::size_t i = 0;; ++i, at += 2) {
        std::uint16_t unit = Word(data, at);
        if (unit != static_cast<unsigned char>(asciiFace[i])) {
            return false;
        }
        if (unit == 0) {
            return true;
        }
    }
}

std::size_t RewrittenTemplateSize(std::size_t size, const DialogTemplateLayout& layout,
                                  const std::uint16_t* face) {
    std::size_t controls = size > layout.controlsAt ? size - layout.controlsAt : 0;
    return AlignToDword(layout.faceAt + 2 * (FaceLength(face) + 1)) + controls;
}

void RewriteDialogFont(const std::uint8_t* data, std::size_t size,
                       const DialogTemplateLayout& layout, const std::uint16_t* face,
                       std::uint16_t pointSize, std::uint8_t* out) {
    std::size_t at = 0;
    for (; at < layout.faceAt; ++at) {
        out[at] = data[at];
    }
    PutWord(out, layout.pointSizeAt, pointSize);
    std::size_t faceLength = FaceLength(face);
    for (std::size_t i = 0; i <= faceLength; ++i, at += 2) {
        PutWord(out, at, face[i]);
    }
    for (; at != AlignToDword(at); ++at) {
        out[at] = 0;
    }
    // Controls sit on DWORD boundaries relative to the start, so the block moves as a whole.
    for (std::size_t from = layout.controlsAt; from < size; ++from, ++at) {
        out[at] = data[from];
    }
}
