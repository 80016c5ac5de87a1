// Reading and rewriting dialog templates (DLGTEMPLATE and DLGTEMPLATEEX) in
// memory, without the system's help.
#pragma once

#include <cstddef>
#include <cstdint>

// Layout facts of one template; offsets count bytes from its start.
struct DialogTemplateLayout {
    bool extended;
    std::uint32_t style;
    std::int16_t x;
    std::int16_t y;
    bool hasFont; // DS_SETFONT: a point size and a face follow the caption
    std::uint16_t pointSize;
    std::size_t pointSizeAt; // the WORD point size
    std::size_t faceAt;      // the face name, UTF-16, zero-terminated
    std::size_t controlsAt;  // the first control, on a DWORD boundary after the face
};

// Describes the template of size bytes; false when it is cut short or malformed.
bool ReadDialogTemplate(const std::uint8_t* data, std::size_t size, DialogTemplateLayout& layout);

// Whether the template's face is the given ASCII name, letter case included.
bool DialogFaceIs(const std::uint8_t* data, const DialogTemplateLayout& layout,
                  const char* asciiFace);

// Bytes the rewritten template needs with face (zero-terminated UTF-16).
std::size_t RewrittenTemplateSize(std::size_t size, const DialogTemplateLayout& layout,
                                  const std::uint16_t* face);

// Writes the template into out (RewrittenTemplateSize bytes, DWORD-aligned)
// with face (zero-terminated UTF-16) and pointSize in place of its own font;
// weight, italic and character set of an extended template are kept.
void RewriteDialogFont(const std::uint8_t* data, std::size_t size,
                       const DialogTemplateLayout& layout, const std::uint16_t* face,
                       std::uint16_t pointSize, std::uint8_t* out);
