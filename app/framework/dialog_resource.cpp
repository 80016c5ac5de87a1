#include "dialog_resource.h"

#include "dialog_template.h"

namespace {

constexpr std::uint16_t kTemplatePointSizeToReplace = 8;
constexpr int kFallbackPointSize = 10;
constexpr char kFallbackFace[] = "System";

struct GuiFont {
    WCHAR face[LF_FACESIZE];
    std::uint16_t pointSize;
};

// The stock GUI font, else the stock system font, else "System" at 10 points.
GuiFont SystemGuiFont() {
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    if (stock == nullptr) {
        stock = GetStockObject(SYSTEM_FONT);
    }
    LOGFONTA font;
    int pointSize = kFallbackPointSize;
    const char* faceName = kFallbackFace;
    if (stock != nullptr && GetObjectA(stock, sizeof font, &font) != 0) {
        HDC screen = GetDC(nullptr);
        int height = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
        pointSize = MulDiv(height, 72, GetDeviceCaps(screen, LOGPIXELSY));
        ReleaseDC(nullptr, screen);
        faceName = font.lfFaceName;
    }
    GuiFont result;
    if (MultiByteToWideChar(CP_ACP, 0, faceName, -1, result.face, LF_FACESIZE) == 0) {
        result.face[0] = 0;
    }
    result.pointSize = static_cast<std::uint16_t>(pointSize);
    return result;
}

} // namespace

DialogResource::DialogResource(HINSTANCE instance, UINT templateId) {
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(templateId), RT_DIALOG);
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const auto* data = static_cast<const std::uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    std::size_t size = found != nullptr ? SizeofResource(instance, found) : 0;
    DialogTemplateLayout layout;
    if (data == nullptr || !ReadDialogTemplate(data, size, layout)) {
        return;
    }
    m_template = reinterpret_cast<const DLGTEMPLATE*>(data);
    m_allowsCentring =
        layout.x == 0 && layout.y == 0 && (layout.style & (DS_CENTER | DS_ABSALIGN)) == 0;

    if (GetSystemMetrics(SM_DBCSENABLED) == 0 ||
        !(DialogFaceIs(data, layout, "MS Sans Serif") || DialogFaceIs(data, layout, "Helv"))) {
        return;
    }
    GuiFont font = SystemGuiFont();
    if (font.face[0] == 0) {
        return;
    }
    const auto* face = reinterpret_cast<const std::uint16_t*>(font.face);
    std::uint16_t pointSize =
        layout.pointSize == kTemplatePointSizeToReplace ? font.pointSize : layout.pointSize;
    m_rewritten = LocalAlloc(LMEM_FIXED, RewrittenTemplateSize(size, layout, face));
    if (m_rewritten == nullptr) {
        return; // the template's own font is still usable
    }
    auto* out = static_cast<std::uint8_t*>(static_cast<void*>(m_rewritten));
    RewriteDialogFont(data, size, layout, face, pointSize, out);
    m_template = reinterpret_cast<const DLGTEMPLATE*>(out);
}

DialogResource::~DialogResource() {
    if (m_rewritten != nullptr) {
        LocalFree(m_rewritten);
    }
}
