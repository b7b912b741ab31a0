// Deleting, the clipboard file list, the drag data object, the Explorer menu's folder rule and
// the rename checks.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "results/FileActions.h"
#include "search/Search.h"
#include "support/synthetic_volume.h"
#include "support/fixture.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Deleting

struct BoxLog {
    std::vector<std::wstring> texts;
    std::vector<UINT> types;
    int answer = IDNO;
};
BoxLog* g_boxes = nullptr;

int RecordingBox(HWND, const std::wstring& text, const std::wstring&, UINT type) {
    g_boxes->texts.push_back(text);
    g_boxes->types.push_back(type);
    return (type & 0xF) == MB_YESNO ? g_boxes->answer : IDOK;
}

// Ways of deleting that a test controls: recycling always fails (as a drive without a trash
// does), the direct way really deletes unless told to lie.
bool g_directLies = false;
int g_directCalls = 0;
bool FailingShell(const std::wstring&, bool) { return false; }
bool FailingFileOp(const std::wstring&, bool) { return false; }
bool CountingDirect(const std::wstring& path) {
    ++g_directCalls;
    if (g_directLies) return true;  // says it worked, leaves the file
    return DeletePathDirect(path);
}
const DeleteMethods kNoRecycleBin{CountingDirect, FailingShell, FailingFileOp};

class FileActionTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = testfx::MakeScratchDir(L"tw_delete");
        g_boxes = &boxes_;
        SetFileActionMessageBox(RecordingBox);
        g_directLies = false;
        g_directCalls = 0;
    }
    void TearDown() override {
        SetFileActionMessageBox(nullptr);
        SetDeleteMethods(nullptr);
        g_boxes = nullptr;
        testfx::RemoveTree(dir_);
    }
    std::wstring MakeFile(const std::wstring& name) {
        std::wstring path = dir_ + L"\\" + name;
        EXPECT_TRUE(testfx::WriteFileBytes(path, "data"));
        return path;
    }
    static bool Exists(const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::wstring dir_;
    BoxLog boxes_;
};

TEST_F(FileActionTest, RecyclingThatFailsNeverDeletesForGoodWithoutTheUsersWord) {
    SetDeleteMethods(&kNoRecycleBin);
    const std::wstring a = MakeFile(L"a.txt"), b = MakeFile(L"b.txt");
    boxes_.answer = IDNO;
    DeleteOutcome out = DeletePaths({a, b}, true);
    EXPECT_TRUE(Exists(a));
    EXPECT_TRUE(Exists(b));
    EXPECT_TRUE(out.deleted.empty());
    EXPECT_TRUE(out.refused);
    EXPECT_EQ(g_directCalls, 0);
    ASSERT_EQ(boxes_.types.size(), 1u);  // one question for both, no failure box after No
    EXPECT_EQ(boxes_.types[0] & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON2)) << "No must be the default";
    EXPECT_NE(boxes_.texts[0].find(L"2"), std::wstring::npos);

    boxes_ = BoxLog{};
    boxes_.answer = IDYES;
    out = DeletePaths({a, b}, true);
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(b));
    EXPECT_EQ(out.deleted, (std::vector<std::wstring>{a, b}));
    EXPECT_EQ(out.failed, 0u);
    EXPECT_EQ(boxes_.types.size(), 1u);
}

TEST_F(FileActionTest, PermanentDeletionAsksFirstAndCountsOnlyWhatIsGone) {
    const std::wstring a = MakeFile(L"a.txt"), b = MakeFile(L"b.txt");
    const std::wstring missing = dir_ + L"\\missing.txt";
    boxes_.answer = IDNO;
    DeleteOutcome out = DeletePaths({a, b, missing}, false);
    EXPECT_TRUE(out.refused);
    EXPECT_TRUE(Exists(a));
    ASSERT_EQ(boxes_.texts.size(), 1u);
    EXPECT_NE(boxes_.texts[0].find(L"3"), std::wstring::npos);

    boxes_ = BoxLog{};
    boxes_.answer = IDYES;
    out = DeletePaths({a, b, missing}, false);
    EXPECT_EQ(out.deleted, (std::vector<std::wstring>{a, b}));
    EXPECT_EQ(out.failed, 1u);
    ASSERT_EQ(boxes_.texts.size(), 2u);  // the question, then the failure box with the count 1
    EXPECT_NE(boxes_.texts[1].find(L"1"), std::wstring::npos);

    // A way that reports success but leaves the file is not believed.
    SetDeleteMethods(&kNoRecycleBin);
    g_directLies = true;
    const std::wstring c = MakeFile(L"c.txt");
    boxes_ = BoxLog{};
    boxes_.answer = IDYES;
    out = DeletePaths({c}, false);
    EXPECT_TRUE(Exists(c));
    EXPECT_TRUE(out.deleted.empty());
    EXPECT_EQ(out.failed, 1u);
}

TEST_F(FileActionTest, DirectDeleteKeepsTheProtectionOfWhatItCouldNotDelete) {
    const std::wstring folder = dir_ + L"\\full";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(testfx::WriteFileBytes(folder + L"\\inside.txt", "x"));
    ASSERT_TRUE(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    const DWORD before = GetFileAttributesW(folder.c_str());
    EXPECT_FALSE(DeletePathDirect(folder));  // not empty
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), before);

    const std::wstring file = MakeFile(L"ro.txt");
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(DeletePathDirect(file));
    EXPECT_FALSE(Exists(file));
}

TEST_F(FileActionTest, RecycleMovesAFileOfAFixtureDriveToTheTrash) {
    const std::wstring root = testfx::FixtureDrive(L'U');
    if (root.empty()) GTEST_SKIP() << "fixture drive U: not mapped";
    const std::wstring path = root + L"recycle_me.txt";
    ASSERT_TRUE(testfx::WriteFileBytes(path, "bye"));
    DeleteOutcome out = DeletePaths({path}, true);
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(out.deleted, std::vector<std::wstring>{path});
    EXPECT_TRUE(boxes_.texts.empty()) << "a move to the Recycle Bin asks nothing";
}

// ---------------------------------------------------------------------------------------------
// Clipboard and drag data

TEST(ClipboardFiles, DropBlockLayoutAndClipboardRoundTrip) {
    std::vector<uint8_t> bytes = BuildHDropBytes({L"a", L"bc"});
    ASSERT_EQ(bytes.size(), 32u);
    DROPFILES header{};
    memcpy(&header, bytes.data(), sizeof(header));
    EXPECT_EQ(header.pFiles, 20u);
    EXPECT_TRUE(header.fWide);
    const wchar_t expected[] = {L'a', 0, L'b', L'c', 0, 0};
    EXPECT_EQ(memcmp(bytes.data() + 20, expected, sizeof(expected)), 0);

    ASSERT_TRUE(CopyFilesToClipboard({L"C:\\x\\one.txt", L"C:\\x\\two.txt"}, true));
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
    wchar_t name[MAX_PATH] = {};
    DragQueryFileW(drop, 1, name, MAX_PATH);
    EXPECT_STREQ(name, L"C:\\x\\two.txt");
    HANDLE effect = GetClipboardData(PreferredDropEffectFormat());
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(*static_cast<DWORD*>(GlobalLock(effect)), static_cast<DWORD>(DROPEFFECT_MOVE));
    GlobalUnlock(effect);
    CloseClipboard();
    EXPECT_FALSE(CopyFilesToClipboard({}, false));
}

TEST(ClipboardFiles, FormatEnumeratorAndDataObject) {
    FORMATETC hdrop{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC effect = hdrop;
    effect.cfFormat = static_cast<CLIPFORMAT>(PreferredDropEffectFormat());
    auto* e = new FormatEtcEnum({hdrop, effect});
    EXPECT_EQ(e->Skip(1), S_OK);
    EXPECT_EQ(e->Skip(1), S_FALSE);
    FORMATETC got[2]{};
    ULONG fetched = 9;
    EXPECT_EQ(e->Next(2, got, &fetched), S_FALSE);  // at the end
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Next(2, got, &fetched), S_OK);
    EXPECT_EQ(got[1].cfFormat, effect.cfFormat);
    EXPECT_EQ(e->Release(), 0u);

    auto* data = new FileDragDataObject({L"C:\\a.txt"});
    STGMEDIUM medium{};
    FORMATETC stream = hdrop;
    stream.tymed = TYMED_ISTREAM;
    EXPECT_EQ(data->GetData(&stream, &medium), DV_E_FORMATETC);
    EXPECT_EQ(data->QueryGetData(&hdrop), S_OK);
    ASSERT_EQ(data->GetData(&hdrop, &medium), S_OK);
    EXPECT_EQ(DragQueryFileW(static_cast<HDROP>(medium.hGlobal), 0xFFFFFFFF, nullptr, 0), 1u);
    ReleaseStgMedium(&medium);
    ASSERT_EQ(data->GetData(&effect, &medium), S_OK);
    EXPECT_EQ(*static_cast<DWORD*>(GlobalLock(medium.hGlobal)), static_cast<DWORD>(DROPEFFECT_COPY));
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    IEnumFORMATETC* formats = nullptr;
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &formats), E_NOTIMPL);
    EXPECT_EQ(formats, nullptr);
    EXPECT_EQ(data->Release(), 0u);

    FileDropSource source;
    EXPECT_EQ(source.QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source.QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(source.QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
}

// ---------------------------------------------------------------------------------------------
// Commands on the selection

TEST_F(FileActionTest, OpeningMoreThanTwentyRowsAsksFirst) {
    auto v = testfx::MakeSyntheticVolume(L"T:");
    auto rows = std::make_shared<std::vector<MatchItem>>();
    for (int i = 0; i < 25; ++i)
        rows->push_back(MatchItem{v.get(), testfx::AddSyntheticRecord(*v, 100 + i, 5, L"f" + std::to_wstring(i) + L".txt")});
    VolumeIndex* volume = v.get();
    std::vector<std::unique_ptr<VolumeIndex>> list;
    list.push_back(std::move(v));
    testfx::InstallVolumes(std::move(list));
    {
        std::lock_guard<std::mutex> lock(g_resultsMutex);
        g_results = rows;
    }
    ClearSelection();
    SelectSingleRow(0);
    SelectRowRange(24);
    EXPECT_EQ(GetSelectedResultPaths().size(), 25u);
    EXPECT_EQ(GetSelectedResultPaths()[3], L"T:\\f3.txt");
    size_t recentBefore = 0;
    {
        std::lock_guard<std::mutex> lock(g_recentMutex);
        recentBefore = g_recentEntries.size();
    }
    boxes_.answer = IDNO;
    ExecuteResultCommand(ResultCommand::Open);
    ASSERT_EQ(boxes_.texts.size(), 1u);
    EXPECT_NE(boxes_.texts[0].find(L"25"), std::wstring::npos);
    EXPECT_EQ(boxes_.types[0] & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON2));
    {
        std::lock_guard<std::mutex> lock(g_recentMutex);
        EXPECT_EQ(g_recentEntries.size(), recentBefore) << "nothing was opened";
    }
    (void)volume;
    ClearSelection();
    {
        std::lock_guard<std::mutex> lock(g_resultsMutex);
        g_results = std::make_shared<std::vector<MatchItem>>();
    }
    testfx::InstallVolumes({});
}

// ---------------------------------------------------------------------------------------------
// Helpers of the commands, the Explorer menu and the rename

TEST(ResultActionHelpers, JoinLinesAndFirstFolderRule) {
    EXPECT_EQ(JoinLinesCrLf({}), L"");
    EXPECT_EQ(JoinLinesCrLf({L"C:\\a", L"C:\\b"}), L"C:\\a\r\nC:\\b");
    EXPECT_EQ(PathsInFirstFolder({L"C:\\x\\a", L"D:\\y\\b", L"c:\\X\\c", L"C:\\x\\sub\\d"}),
              (std::vector<std::wstring>{L"C:\\x\\a", L"c:\\X\\c"}));
    EXPECT_EQ(PathsInFirstFolder({L"plain", L"C:\\x\\a"}), std::vector<std::wstring>{L"plain"});
}

TEST(ResultActionHelpers, NewNameChecksAndInitialSelection) {
    struct Case {
        const wchar_t* name;
        RenameNameProblem problem;
    } cases[] = {
        {L"report.txt", RenameNameProblem::None},       {L"", RenameNameProblem::Empty},
        {L"a:b", RenameNameProblem::InvalidCharacters}, {L"a|b", RenameNameProblem::InvalidCharacters},
        {L"tab\there", RenameNameProblem::InvalidCharacters},
        {L"name.", RenameNameProblem::TrailingDotOrBlank}, {L"..", RenameNameProblem::TrailingDotOrBlank},
        {L"name ", RenameNameProblem::TrailingDotOrBlank}, {L".hidden", RenameNameProblem::None},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckNewName(c.name), c.problem) << "name '" << testing::PrintToString(std::wstring(c.name)) << "'";
    EXPECT_EQ(RenameSelectionEnd(L"a.tar.gz", false), 5u);
    EXPECT_EQ(RenameSelectionEnd(L".profile", false), 8u);
    EXPECT_EQ(RenameSelectionEnd(L"noext", false), 5u);
    EXPECT_EQ(RenameSelectionEnd(L"folder.d", true), 8u);
}

}  // namespace
