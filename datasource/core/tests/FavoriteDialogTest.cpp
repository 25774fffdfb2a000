// Saving and managing favourites through the main dialog, driven by control
// id in the Japanese ANSI code page (932): the saving dialog's checks and
// its save-over question, then the favourites dialog's deferred deleting,
// importing and exporting, each time with the favourites row rebuilt and
// the chosen favourite shown on the pages.
#include "DsTestSupport.h"
#include "DialogDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "AnsiText_win.h"
#include "FavoriteList.h"
#include "FileChooser.h"
#include "MessageBox.h"
#include "ModuleStrings_win.h"
#include "SettingsLocator_win.h"
#include "res/favorite_dialogs_ids.h"
#include "res/main_dialog_ids.h"
#include "res/page_ids.h"

namespace {

using Step = CModalSteps::Step;

class FavoriteDialogs : public DsTest {
protected:
    void SetUp() override {
        DsTest::SetUp();
        ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
        m_folder = EmptyFavoritesFolder();
        m_outside = CSettingsLocator::UserFolder(CModuleStrings(GetModuleHandleW(nullptr))) +
                    L"\\outside\\";
        ASSERT_TRUE(CSettingsLocator::CreateFolder(m_outside));
        EmptyFolder(m_outside);
        SetDsMessageBoxAnswerer([this](const std::wstring &text, UINT) {
            m_boxes.push_back(text);
            return m_answers.empty() ? IDOK : Next(m_answers);
        });
        SetDsFileChooser([this](EFileChoice kind, const std::wstring &suggested) {
            m_choices.push_back({kind, suggested});
            return m_paths.empty() ? std::nullopt : std::optional(Next(m_paths));
        });
    }
    void TearDown() override {
        SetDsFileChooser(nullptr);
        CloseSource();
        // Other programs' tests share the folder.
        EmptyFavoritesFolder();
        DsTest::TearDown();
    }
    template <typename T>
    static T Next(std::deque<T> &queue) {
        T front = queue.front();
        queue.pop_front();
        return front;
    }
    // Opens the dialog behind `button` and runs `steps` in it; how many ran.
    size_t Run(int button, const wchar_t *caption, std::vector<Step> steps) {
        return CModalSteps::Run(caption, std::move(steps), [&] { Click(button); });
    }
    std::vector<std::wstring> RowTexts() const {
        std::vector<std::wstring> texts;
        HWND list = GetDlgItem(Dialog(), IDC_FAVORITES);
        for (LRESULT i = 0; i < SendMessageW(list, CB_GETCOUNT, 0, 0); ++i) {
            wchar_t text[64] = {};
            SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            texts.push_back(text);
        }
        return texts;
    }
    bool Exists(const std::wstring &path) const {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    HWND Basic() const { return CDialogDriver::Page(Dialog(), IDC_COLOR_MODE, IDC_TABS); }

    std::wstring m_folder, m_outside;
    std::deque<int> m_answers;
    std::deque<std::wstring> m_paths;
    std::vector<std::pair<EFileChoice, std::wstring>> m_choices;
};

Step Type(int id, std::wstring text) {
    return [id, text](HWND box) { SetDlgItemTextW(box, id, text.c_str()); };
}
const Step kSave = [](HWND box) { CDialogDriver::Press(box, IDOK); };
const Step kCancel = [](HWND box) { CDialogDriver::Press(box, IDCANCEL); };

TEST_F(FavoriteDialogs, SavingChecksTheNameAndSavesOverInPlace) {
    Reach(500);
    const std::wstring kanji13(13, L'\u6F22');  // 26 bytes in code page 932
    const std::wstring office = L"事務所Ａ４";
    const std::wstring tooLong =
        L"[名前]が入力されていないか、もしくは長過ぎます。1～27バイト(半角27/"
        L"全角13文字)までの範囲内で設定してください。";
    struct Row {
        const wchar_t *what;
        std::wstring name;
        std::wstring comment;
        std::deque<int> answers;  // to the save-over question
        const wchar_t *message;   // null: none
        bool saved;
        int colorMode = 0;  // what the pages show when saving
    };
    const Row rows[] = {
        {L"empty", L"", L"", {}, nullptr, false},
        {L"reserved",
         L"標準",
         L"",
         {},
         L"[名前]には\"標準\"以外の文字列を設定してください。",
         false},
        {L"reserved once trimmed",
         L" <現在の設定>\u3000",
         L"",
         {},
         L"[名前]には\"<現在の設定>\"以外の文字列を設定してください。",
         false},
        {L"28 bytes", kanji13 + L"\u6F22", L"", {}, tooLong.c_str(), false},
        {L"spaces only", L"\u3000 \u3000", L"", {}, tooLong.c_str(), false},
        {L"invalid character",
         L"a/b",
         L"",
         {},
         L"[名前]に無効な文字列が設定されています。「\\/:*?\"<>|」以外の文字で指定してください。",
         false},
        {L"not in the code page",
         L"x\u0E01y",
         L"",
         {},
         L"[名前]に無効な文字列が設定されています。「\\/:*?\"<>|」以外の文字で指定してください。",
         false},
        {L"256-byte comment",
         L"ok",
         std::wstring(128, L'\u6F22'),
         {},
         L"[コメント]の文字列が長過ぎます。1～255バイト(半角255/"
         L"全角127文字)までの範囲内で設定してください。",
         false},
        {L"trimmed", L"\u3000" + office + L" ", L"A4 の書類", {}, nullptr, true, 1},
        {L"27 bytes", kanji13 + L"a", std::wstring(127, L'\u6F22'), {}, nullptr, true},
        {L"same name, No",
         office,
         L"",
         {IDNO},
         L"既に同じ[名前]のお気に入りがあります。現在の内容を上書きします？",
         false},
        {L"same name, Yes",
         office,
         L"上書き",
         {IDYES},
         L"既に同じ[名前]のお気に入りがあります。現在の内容を上書きします？",
         true,
         2},
        // File names do not tell case apart: the same file, the same entry.
        {L"new name", L"Desk", L"", {}, nullptr, true},
        {L"same file name",
         L"DESK",
         L"",
         {IDYES},
         L"既に同じ[名前]のお気に入りがあります。現在の内容を上書きします？",
         true,
         1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << CAnsiText::FromWide(row.what));
        CDialogDriver::Select(Basic(), IDC_COLOR_MODE, row.colorMode);
        m_boxes.clear();
        m_answers = row.answers;
        const size_t ran = Run(IDC_FAVORITE_SAVE, L"お気に入りの保存",
                               {Type(IDC_FAVORITE_NAME, row.name),
                                Type(IDC_FAVORITE_COMMENT, row.comment), kSave, kCancel});
        EXPECT_EQ(ran, row.saved ? 3u : 4u);
        ASSERT_EQ(m_boxes.size(), row.message ? 1u : 0u);
        if (row.message) {
            EXPECT_EQ(m_boxes[0], row.message);
        }
    }
    // Three favourites, each in its own file, each save-over in place and selected.
    EXPECT_EQ(RowTexts(), (std::vector<std::wstring>{L"<現在の設定>", L"標準", office,
                                                     kanji13 + L"a", L"Desk"}));
    EXPECT_EQ(CDialogDriver::Selected(Dialog(), IDC_FAVORITES), 4);
    EXPECT_EQ(CFavoriteList::ReadFile(m_folder + L"desk.sfj").favorite.ColorMode, 1);
    const CFavoriteFile::SRead saved = CFavoriteList::ReadFile(m_folder + office + L".sfj");
    ASSERT_EQ(saved.status, EFavoriteFile::Read);
    EXPECT_EQ(saved.favorite.Name, CAnsiText::FromWide(office));
    EXPECT_EQ(saved.favorite.Comment, CAnsiText::FromWide(L"上書き"));
    EXPECT_EQ(saved.favorite.ColorMode, 2);
    EXPECT_EQ(CFavoriteList::ReadFile(m_folder + kanji13 + L"a.sfj").favorite.Comment.size(), 254u);

    // The next opening lists the folder's files, and shows the saved favourite.
    CloseSource();
    Reach(500);
    const std::vector<std::wstring> row = RowTexts();
    ASSERT_EQ(row.size(), 5u);
    CDialogDriver::Select(
        Dialog(), IDC_FAVORITES,
        static_cast<int>(std::find(row.begin(), row.end(), office) - row.begin()));
    EXPECT_EQ(CDialogDriver::Selected(Basic(), IDC_COLOR_MODE), 2);
}

TEST_F(FavoriteDialogs, ManagingDeletesOnlyAtOkAndImportsWholeFavouritesOnly) {
    // Two favourites in the folder, and files to import from elsewhere.
    CFavoriteInfo office = CFavoriteInfo::FromSettings(CScanSettings::Standard());
    office.Name = "office";
    office.Resolution = 3;
    CFavoriteInfo photo = office;
    photo.Name = "photo";
    photo.Brightness = 6;
    photo.InputMediumSize = 27;
    photo.InputMediumCustomHeight = 250;
    ASSERT_TRUE(CFavoriteList::WriteFile(m_folder + L"office.sfj", office));
    ASSERT_TRUE(CFavoriteList::WriteFile(m_folder + L"photo.sfj", photo));
    CFavoriteInfo imported = office;
    imported.Name = "whatever the file says";
    imported.ColorMode = 1;
    imported.Resolution = 2;
    imported.Magnification = 2;
    imported.MagnificationZoom = 175;
    imported.Comment = "from another desk";
    imported.Format = 2;
    ASSERT_TRUE(CFavoriteList::WriteFile(m_outside + L"desk.sfj", imported));
    ASSERT_TRUE(CFavoriteList::WriteFile(m_outside + L"office.sfj", photo));
    const std::string whole = CFavoriteFile::Text(imported);
    HANDLE cut = CreateFileW((m_outside + L"cut.sfj").c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(cut, whole.data(), static_cast<DWORD>(whole.size() / 2), &put, nullptr);
    CloseHandle(cut);

    Reach(500);
    ASSERT_EQ(RowTexts().size(), 4u);
    const int photoAt = RowTexts()[2] == L"photo" ? 2 : 3;
    CDialogDriver::Select(Dialog(), IDC_FAVORITES, photoAt);

    auto pick = [](int index) {
        return Step([index](HWND box) {
            SendDlgItemMessageW(box, IDC_FAVORITE_ENTRIES, LB_SETCURSEL, index, 0);
            SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDC_FAVORITE_ENTRIES, LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDC_FAVORITE_ENTRIES)));
        });
    };
    auto press = [](int id) { return Step([id](HWND box) { CDialogDriver::Press(box, id); }); };
    auto expect = [](std::function<void(HWND)> check) { return Step(check); };
    auto entries = [](HWND box) {
        return static_cast<int>(SendDlgItemMessageW(box, IDC_FAVORITE_ENTRIES, LB_GETCOUNT, 0, 0));
    };

    // Deleting, then Cancel: the file stays, and the row lists it again.
    m_answers = {IDOK};
    EXPECT_EQ(Run(IDC_FAVORITE_LIST, L"お気に入り一覧",
                  {expect([&](HWND box) {
                       // The row's choice is chosen here too, its settings in the tree.
                       EXPECT_EQ(CDialogDriver::Text(box, IDC_SUMMARY_NAME), L"photo");
                       // Its lines with the custom size's two (the texts are pinned natively).
                       EXPECT_EQ(SendDlgItemMessageW(box, IDC_FAVORITE_TREE, TVM_GETCOUNT, 0, 0),
                                 27);
                       EXPECT_TRUE(CDialogDriver::On(box, IDC_FAVORITE_DELETE));
                   }),
                   pick(1), expect([&](HWND box) {
                       EXPECT_FALSE(CDialogDriver::On(box, IDC_FAVORITE_DELETE) ||
                                    CDialogDriver::On(box, IDC_FAVORITE_EXPORT));
                   }),
                   pick(photoAt), press(IDC_FAVORITE_DELETE), expect([&](HWND box) {
                       EXPECT_EQ(entries(box), 3);
                       EXPECT_TRUE(Exists(m_folder + L"photo.sfj"));
                   }),
                   kCancel}),
              7u);
    EXPECT_EQ(m_boxes.size(), 1u);
    EXPECT_TRUE(Exists(m_folder + L"photo.sfj"));
    EXPECT_EQ(RowTexts().size(), 4u);
    EXPECT_EQ(RowTexts()[static_cast<size_t>(CDialogDriver::Selected(Dialog(), IDC_FAVORITES))],
              L"photo");

    // Importing: a file cut short is refused with a message, one of an
    // existing name adds nothing, a whole one is added and chosen; then it
    // is exported under another name, photo deleted, and OK.
    m_boxes.clear();
    m_answers = {IDOK, IDOK};
    m_paths = {m_outside + L"cut.sfj", m_outside + L"office.sfj", m_outside + L"desk.sfj",
               m_outside + L"copy"};
    EXPECT_EQ(Run(IDC_FAVORITE_LIST, L"お気に入り一覧",
                  {press(IDC_FAVORITE_IMPORT), press(IDC_FAVORITE_IMPORT),
                   expect([&](HWND box) { EXPECT_EQ(entries(box), 4); }),
                   press(IDC_FAVORITE_IMPORT), expect([&](HWND box) {
                       EXPECT_EQ(entries(box), 5);
                       EXPECT_EQ(CDialogDriver::Text(box, IDC_SUMMARY_NAME), L"desk");
                       EXPECT_EQ(CDialogDriver::Text(box, IDC_FAVORITE_COMMENT),
                                 L"from another desk");
                   }),
                   press(IDC_FAVORITE_EXPORT), pick(photoAt), press(IDC_FAVORITE_DELETE), pick(3),
                   kSave}),
              10u);
    ASSERT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(m_boxes[0].find(L"お気に入りのファイルとして読み込めません。"), 0u);
    EXPECT_EQ(m_choices.back(), std::make_pair(EFileChoice::Save, std::wstring(L"desk.sfj")));
    EXPECT_FALSE(Exists(m_folder + L"photo.sfj"));
    // The office favourite in the folder is still its own.
    EXPECT_EQ(CFavoriteList::ReadFile(m_folder + L"office.sfj").favorite.Resolution, 3);
    // The import is the file as it came, the export the favourite under its new name.
    const CFavoriteFile::SRead copy = CFavoriteList::ReadFile(m_outside + L"copy.sfj");
    ASSERT_EQ(copy.status, EFavoriteFile::Read);
    imported.Name = "copy";
    EXPECT_EQ(copy.favorite, imported);
    EXPECT_EQ(CFavoriteList::ReadFile(m_folder + L"desk.sfj").favorite.Format, 2);

    // The row is rebuilt from the folder with the dialog's choice shown.
    const std::vector<std::wstring> row = RowTexts();
    ASSERT_EQ(row.size(), 4u);
    const int chosen = CDialogDriver::Selected(Dialog(), IDC_FAVORITES);
    EXPECT_EQ(row[static_cast<size_t>(chosen)], L"desk");
    EXPECT_NE(std::find(row.begin(), row.end(), L"office"), row.end());
    EXPECT_EQ(CDialogDriver::Selected(Basic(), IDC_COLOR_MODE), 1);
    EXPECT_EQ(CDialogDriver::Selected(Basic(), IDC_RESOLUTION), 2);
    HWND input = CDialogDriver::Page(Dialog(), IDC_MAG_100, IDC_TABS);
    EXPECT_TRUE(CDialogDriver::Checked(input, IDC_MAG_ZOOM));
    EXPECT_EQ(CDialogDriver::Text(input, IDC_ZOOM_EDIT), L"175");
}

}  // namespace
