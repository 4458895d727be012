// Font registration and face matching on GDI: a font file is added to this
// process alone, a face is whatever GDI's font mapper gives for the family
// (another face when none of that family exists, as fontconfig does), and
// its glyphs are read at one em tall so that GDI's pixels are design units
// (glyph_outlines_win32.cpp).
#include "platform/win32/win32.h"

#include "platform/backend.h"
#include "platform/win32/outline_face_win32.h"
#include "platform/win32/win32_backend.h"

#include <cstring>
#include <vector>

bool backend_font_file(const char* name)
{
    if (!name) {
        for (const std::string& added : font_state.files)
            RemoveFontResourceExA(added.c_str(), FR_PRIVATE, nullptr);
        return true;
    }
    return AddFontResourceExA(name, FR_PRIVATE, nullptr) != 0; // 0: no font in it
}

namespace {

// TrueType outlines only: GDI's mapper then never answers with a bitmap or
// vector face, which has no outlines to fill.
HFONT create_font(const char* face_name, int weight, int em)
{
    LOGFONTA request{};
    request.lfHeight = -em;
    request.lfWeight = weight;
    request.lfCharSet = DEFAULT_CHARSET;
    request.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    request.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    request.lfQuality = DEFAULT_QUALITY;
    request.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynA(request.lfFaceName, face_name, LF_FACESIZE);
    return CreateFontIndirectA(&request);
}

// What GDI selected into the DC, when it is a TrueType outline face.
struct Selected {
    std::string family;
    int units = 0;
    int weight = 0; // the face's own, not the weight asked of it
    bool symbol = false;
};

bool describe_selected(HDC dc, Selected* selected)
{
    const UINT size = GetOutlineTextMetricsA(dc, 0, nullptr);
    if (size < sizeof(OUTLINETEXTMETRICA))
        return false; // not an outline face
    std::vector<unsigned char> buffer(size);
    auto* metrics = reinterpret_cast<OUTLINETEXTMETRICA*>(buffer.data());
    if (GetOutlineTextMetricsA(dc, size, metrics) == 0 || !(metrics->otmTextMetrics.tmPitchAndFamily & TMPF_TRUETYPE)
        || metrics->otmEMSquare == 0)
        return false;
    char face_name[LF_FACESIZE] = {};
    const int length = GetTextFaceA(dc, LF_FACESIZE, face_name);
    if (length <= 0)
        return false;
    selected->family.assign(face_name, std::strlen(face_name));
    selected->units = metrics->otmEMSquare;
    selected->symbol = metrics->otmTextMetrics.tmCharSet == SYMBOL_CHARSET;
    // The weight class the file gives its face: GDI reports a face it makes
    // bold itself as bold, so its text metrics cannot tell.
    selected->weight = metrics->otmTextMetrics.tmWeight;
    const DWORD os2 = 'O' | ('S' << 8) | ('/' << 16) | (static_cast<DWORD>('2') << 24);
    unsigned char weight_class[2];
    if (GetFontData(dc, os2, 4, weight_class, 2) == 2) {
        const int weight = (weight_class[0] << 8) | weight_class[1];
        if (weight >= 1 && weight <= 1000)
            selected->weight = weight;
    }
    return true;
}

// Whether the file at `name` holds exactly `data`.
bool file_holds(const std::string& name, const std::vector<unsigned char>& data)
{
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER length{};
    bool same = GetFileSizeEx(file, &length) && static_cast<ULONGLONG>(length.QuadPart) == data.size();
    std::vector<unsigned char> bytes(same ? data.size() : 0);
    std::size_t got = 0;
    while (same && got < bytes.size()) {
        DWORD n = 0;
        if (!ReadFile(file, bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &n, nullptr) || n == 0)
            break;
        got += n;
    }
    CloseHandle(file);
    return same && got == data.size() && std::memcmp(bytes.data(), data.data(), got) == 0;
}

// The added file the selected face was read from: GDI does not say, so the
// face's whole font data is compared with each added file. Empty for an
// installed face or a face of a collection.
std::string added_file_of(HDC dc)
{
    const DWORD size = GetFontData(dc, 0, 0, nullptr, 0);
    if (size == GDI_ERROR || size == 0 || font_state.files.empty())
        return "";
    std::vector<unsigned char> data(size);
    if (GetFontData(dc, 0, 0, data.data(), size) != size)
        return "";
    for (const std::string& name : font_state.files)
        if (file_holds(name, data))
            return name;
    return "";
}

// GDI's answer to `face_name` at `weight` in `dc`; null unless it is a
// TrueType outline face.
HFONT select_answer(HDC dc, const char* face_name, int weight, int em, Selected* selected, HGDIOBJ* previous)
{
    HFONT font = create_font(face_name, weight, em);
    if (!font)
        return nullptr;
    HGDIOBJ old = SelectObject(dc, font);
    if (!old || old == HGDI_ERROR || !describe_selected(dc, selected)) {
        if (old && old != HGDI_ERROR)
            SelectObject(dc, old);
        DeleteObject(font);
        return nullptr;
    }
    *previous = old;
    return font;
}

void release(HDC dc, HFONT font, HGDIOBJ previous)
{
    SelectObject(dc, previous);
    DeleteObject(font);
}

} // namespace

BackendFace* backend_face_match(const char* family, int weight, OutlineFace* facts)
{
    if (weight < 1)
        weight = 1;
    if (weight > 1000)
        weight = 1000;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return nullptr;
    // The face GDI maps the family and weight to (the system's default face
    // when the name says nothing to it).
    Selected answer;
    HGDIOBJ previous = nullptr;
    HFONT probe = select_answer(dc, family ? family : "", weight, 0, &answer, &previous);
    if (!probe)
        probe = select_answer(dc, "", weight, 0, &answer, &previous);
    if (!probe) {
        DeleteDC(dc);
        return nullptr;
    }
    release(dc, probe, previous);
    // That face again, at its own weight so that GDI does not embolden it
    // (emboldening is ours, as FreeType makes it), one em tall.
    Selected face_read;
    HFONT font = select_answer(dc, answer.family.c_str(), answer.weight, answer.units, &face_read, &previous);
    if (!font) {
        DeleteDC(dc);
        return nullptr;
    }
    BackendFace* face = new BackendFace;
    face->dc = dc;
    face->font = font;
    face->previous = previous;
    face->units = face_read.units;
    facts->family = face_read.family;
    facts->symbol = face_read.symbol;
    facts->file = added_file_of(dc);
    // Bold asked of a face lighter than demibold is made by emboldening.
    facts->embolden = weight >= FW_BOLD && face_read.weight < FW_SEMIBOLD;
    return face;
}

void backend_face_close(BackendFace* face)
{
    release(face->dc, face->font, face->previous);
    DeleteDC(face->dc);
    delete face;
}
