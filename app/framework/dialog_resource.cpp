#include "dialog_resource.h"

#include "dialog_template.h"
#include "font_substitution.h"

namespace {

constexpr int kFallbackPointSize = 10;
constexpr char kFallbackFace[] = "System";

struct GuiFont {
    WCHAR face[LF_FACESIZE];
    int pointSize; // 0 or less when it cannot be computed
};

bool ReadStockFont(int stockObject, LOGFONTA& font) {
    HGDIOBJ stock = GetStockObject(stockObject);
    return stock != nullptr && GetObjectA(stock, sizeof font, &font) != 0;
}

// MulDiv gives -1 for a screen whose resolution cannot be read.
int PointSizeOnScreen(LONG height) {
    HDC screen = GetDC(nullptr);
    int pixelsPerInch = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return MulDiv(height < 0 ? -height : height, 72, pixelsPerInch);
}

// The stock GUI font, else the stock system font, else "System" at 10 points.
GuiFont SystemGuiFont() {
    LOGFONTA font;
    int pointSize = kFallbackPointSize;
    const char* faceName = kFallbackFace;
    if (ReadStockFont(DEFAULT_GUI_FONT, font) || ReadStockFont(SYSTEM_FONT, font)) {
        pointSize = PointSizeOnScreen(font.lfHeight);
        faceName = font.lfFaceName;
    }
    GuiFont result;
    if (MultiByteToWideChar(CP_ACP, 0, faceName, -1, result.face, LF_FACESIZE) == 0) {
        result.face[0] = 0;
    }
    result.pointSize = pointSize;
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
    std::uint16_t pointSize = SubstitutedPointSize(layout.pointSize, font.pointSize);
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
