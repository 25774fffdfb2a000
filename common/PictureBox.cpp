#include "PictureBox.h"

#include "VELT_ModuleVersion.h"

namespace {
// Where the texts sit on the picture, in pixels of the client area: the
// artwork leaves these bands plain for them.
constexpr POINT kVersionAt{27, 297};
constexpr POINT kCopyrightAt{27, 423};
constexpr int kVersionPoints = 14;
constexpr int kCopyrightPoints = 12;
}  // namespace

CPictureBox::CPictureBox(HINSTANCE module, const SPictureBoxIds &ids, COLORREF textColour)
    : m_module(module), m_ids(ids), m_textColour(textColour) {}

CPictureBox::~CPictureBox() {
    // The controls let go of the fonts and the picture while they exist.
    DestroyDialog();
}

INT_PTR CPictureBox::Run(HWND parent) {
    m_parent = parent;
    return RunModal(m_module, m_ids.dialog, parent);
}

INT_PTR CPictureBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_DRAWITEM:
            return m_picture.OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT *>(lParam)) ? TRUE
                                                                                           : FALSE;
        case WM_CTLCOLORSTATIC: {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            const HWND control = reinterpret_cast<HWND>(lParam);
            if (const INT_PTR brush = m_versionText.OnCtlColorStatic(dc, control))
                return brush;
            return m_copyrightText.OnCtlColorStatic(dc, control);
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndModal(LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            EndModal(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

// The picture decides the size of the box: the client area becomes the
// image, whatever the template's dialog units come to with the font at hand.
void CPictureBox::FitToPicture() {
    const HWND picture = ::GetDlgItem(Hwnd(), m_ids.picture);
    m_picture.Attach(picture);
    RECT client{};
    if (m_picture.Load(m_module, m_ids.png)) {
        m_picture.SizeToImage();
        const SIZE image = m_picture.ImageSize();
        RECT window{};
        ::GetWindowRect(Hwnd(), &window);
        ::GetClientRect(Hwnd(), &client);
        ::SetWindowPos(Hwnd(), nullptr, 0, 0, Width(window) + image.cx - client.right,
                       Height(window) + image.cy - client.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::GetClientRect(Hwnd(), &client);
    ::SetWindowPos(picture, nullptr, 0, 0, client.right, client.bottom,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPictureBox::ShowVersion() {
    // A module without a version resource shows no texts rather than a
    // bare "Version ".
    std::wstring version;
    std::wstring copyright;
    CVELT_ModuleVersion info;
    if (info.LoadModule(m_module)) {
        if (const auto fileVersion = info.String(L"FileVersion"))
            version = L"Version " + *fileVersion;
        copyright = info.String(L"LegalCopyright").value_or(std::wstring());
    }
    ShowText(m_versionText, m_ids.versionText, version, kVersionAt, kVersionPoints);
    ShowText(m_copyrightText, m_ids.copyrightText, copyright, kCopyrightAt, kCopyrightPoints);
}

void CPictureBox::ShowText(CFontChangeStatic &text, int id, const std::wstring &value, POINT at,
                           int points) {
    text.Attach(::GetDlgItem(Hwnd(), id));
    text.SetFaceName(L"Arial");
    text.SetSize(points);
    text.SetCharSet(ANSI_CHARSET);
    text.ApplyFont();
    text.SetColour(m_textColour);
    text.SetText(value.c_str());
    ::SetWindowPos(text.Hwnd(), nullptr, at.x, at.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    text.Fit();
}

void CPictureBox::PlaceOkButton(int rightMargin, int bottomMargin) {
    const HWND ok = ::GetDlgItem(Hwnd(), IDOK);
    RECT button{};
    ::GetWindowRect(ok, &button);
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    ::SetWindowPos(ok, nullptr, client.right - rightMargin - Width(button),
                   client.bottom - bottomMargin - Height(button), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
