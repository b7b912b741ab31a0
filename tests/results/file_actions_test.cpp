// Deleting, the clipboard file list, the drag data object, the Explorer menu's folder rule and
// the rename checks.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "results/FileActions.h"
#include "results/RecycleGuard.h"
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

// Shells that a recycle can meet: one that deletes for good what it was told to recycle (the
// shell does that where the bin cannot take a path), one that takes the path into a bin on the
// same drive (a rename: the file keeps its identity), one that deletes for good and then finds a
// new file at the path (another program wrote one meanwhile), one that reports success and does
// nothing. The shell object is not available, as under Wine.
std::wstring g_bin;
int g_shellCalls = 0;
bool ShellDeletingForGood(const std::wstring& path, bool) {
    ++g_shellCalls;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    testfx::RemoveTree(path);
    RemoveDirectoryW(path.c_str());
    DeleteFileW(path.c_str());
    return true;
}
bool ShellRecycling(const std::wstring& path, bool) {
    ++g_shellCalls;
    return MoveFileExW(path.c_str(), (g_bin + L"\\" + std::to_wstring(g_shellCalls)).c_str(), 0) != FALSE;
}
bool ShellDeletingThenNewFile(const std::wstring& path, bool recycle) {
    ShellDeletingForGood(path, recycle);
    return testfx::WriteFileBytes(path, "new");
}
bool ShellDoingNothing(const std::wstring&, bool) {
    ++g_shellCalls;
    return true;
}
bool NoFileOperation(const std::wstring&, bool) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
}
bool FileOperationRefusing(const std::wstring&, bool) {  // its sink refused a delete for good
    SetLastError(ERROR_CANCELLED);
    return false;
}

// Every name in a folder tree, relative, with the bytes of each file.
std::vector<std::pair<std::wstring, std::string>> TreeContents(const std::wstring& root, const std::wstring& rel = L"") {
    std::vector<std::pair<std::wstring, std::string>> out;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((root + rel + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return out;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.emplace_back(rel + L"\\" + name + L"\\", "");
            for (auto& e : TreeContents(root, rel + L"\\" + name)) out.push_back(std::move(e));
        } else {
            out.emplace_back(rel + L"\\" + name, testfx::ReadFileBytes(root + rel + L"\\" + name));
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(out.begin(), out.end());
    return out;
}

TEST_F(FileActionTest, RecycleNeverLosesWhatTheShellDeletesForGood) {
    g_bin = dir_ + L"\\bin";
    ASSERT_TRUE(CreateDirectoryW(g_bin.c_str(), nullptr));
    const std::wstring work = dir_ + L"\\work";
    struct Case {
        const char* name;
        bool (*shell)(const std::wstring&, bool);
        bool (*fileOperation)(const std::wstring&, bool);
        bool folder;
        bool readOnly;
        bool taken;  // the path went into the bin; otherwise it stays and the question follows
        int shellCalls;
    };
    const Case cases[] = {
        {"file deleted for good", ShellDeletingForGood, NoFileOperation, false, false, false, 1},
        {"read-only file deleted for good", ShellDeletingForGood, NoFileOperation, false, true, false, 1},
        {"folder deleted for good", ShellDeletingForGood, NoFileOperation, true, false, false, 1},
        {"file recycled", ShellRecycling, NoFileOperation, false, false, true, 1},
        {"read-only file recycled", ShellRecycling, NoFileOperation, false, true, true, 1},
        {"folder recycled", ShellRecycling, NoFileOperation, true, false, true, 1},
        {"shell says yes, does nothing", ShellDoingNothing, NoFileOperation, false, false, false, 1},
        {"the shell object's sink refused", ShellDeletingForGood, FileOperationRefusing, false, false, false, 0},
        {"folder: the shell object's sink refused", ShellDeletingForGood, FileOperationRefusing, true, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr));
        std::wstring path = work + L"\\doc.txt";
        if (c.folder) {
            path = work + L"\\folder";
            ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
            ASSERT_TRUE(CreateDirectoryW((path + L"\\empty").c_str(), nullptr));
            ASSERT_TRUE(CreateDirectoryW((path + L"\\sub").c_str(), nullptr));
            ASSERT_TRUE(testfx::WriteFileBytes(path + L"\\top.txt", "top"));
            ASSERT_TRUE(testfx::WriteFileBytes(path + L"\\sub\\deep.txt", "deep"));
        } else {
            ASSERT_TRUE(testfx::WriteFileBytes(path, "only copy"));
            ASSERT_TRUE(!c.readOnly || SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        const auto before = TreeContents(work);
        const DeleteMethods methods{CountingDirect, c.shell, c.fileOperation};
        SetDeleteMethods(&methods);
        g_shellCalls = 0;
        g_directCalls = 0;
        boxes_ = BoxLog{};
        boxes_.answer = IDNO;

        DeleteOutcome out = DeletePaths({path}, true);
        EXPECT_EQ(g_shellCalls, c.shellCalls);
        EXPECT_EQ(g_directCalls, 0);
        if (c.taken) {
            EXPECT_EQ(out.deleted, std::vector<std::wstring>{path});
            EXPECT_TRUE(boxes_.texts.empty());
            EXPECT_TRUE(TreeContents(work).empty()) << "a guard name was left behind";
            const std::wstring inBin = g_bin + L"\\1";
            EXPECT_EQ(testfx::ReadFileBytes(c.folder ? inBin + L"\\sub\\deep.txt" : inBin),
                      c.folder ? "deep" : "only copy");
            if (c.readOnly) {
                EXPECT_TRUE(GetFileAttributesW(inBin.c_str()) & FILE_ATTRIBUTE_READONLY);
            }
            SetFileAttributesW(inBin.c_str(), FILE_ATTRIBUTE_NORMAL);
            testfx::RemoveTree(inBin);
            RemoveDirectoryW(inBin.c_str());
            DeleteFileW(inBin.c_str());
        } else {
            EXPECT_TRUE(out.deleted.empty());
            EXPECT_TRUE(out.refused);
            EXPECT_EQ(TreeContents(work), before) << "the path is back as it was, and nothing else is there";
            ASSERT_EQ(boxes_.texts.size(), 1u);
            EXPECT_NE(boxes_.texts[0].find(L"could not be moved to the Recycle Bin"), std::wstring::npos);
            // Yes deletes it for good.
            boxes_ = BoxLog{};
            boxes_.answer = IDYES;
            out = DeletePaths({path}, true);
            EXPECT_EQ(out.deleted, std::vector<std::wstring>{path});
            EXPECT_TRUE(TreeContents(work).empty());
        }
        SetDeleteMethods(nullptr);
        testfx::RemoveTree(work);
        ASSERT_TRUE(RemoveDirectoryW(work.c_str()));
    }

    // A folder too large to guard is not handed to the shell at all.
    {
        ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr));
        const std::wstring big = work + L"\\big";
        ASSERT_TRUE(CreateDirectoryW(big.c_str(), nullptr));
        for (size_t i = 0; i <= RecycleGuard::kMaxEntries; ++i)
            ASSERT_TRUE(testfx::WriteFileBytes(big + L"\\" + std::to_wstring(i), "x"));
        const DeleteMethods methods{CountingDirect, ShellDeletingForGood, NoFileOperation};
        SetDeleteMethods(&methods);
        g_shellCalls = 0;
        boxes_ = BoxLog{};
        boxes_.answer = IDNO;
        EXPECT_TRUE(DeletePaths({big}, true).refused);
        EXPECT_EQ(g_shellCalls, 0);
        EXPECT_EQ(TreeContents(work).size(), RecycleGuard::kMaxEntries + 2);
        testfx::RemoveTree(work);
        ASSERT_TRUE(RemoveDirectoryW(work.c_str()));
    }

    // The shell deleted the file for good and another program put a new file at its path
    // meanwhile: the new file stays, the old bytes are kept beside it.
    ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr));
    const std::wstring path = work + L"\\doc.txt";
    ASSERT_TRUE(testfx::WriteFileBytes(path, "only copy"));
    const DeleteMethods methods{CountingDirect, ShellDeletingThenNewFile, NoFileOperation};
    SetDeleteMethods(&methods);
    boxes_ = BoxLog{};
    boxes_.answer = IDNO;
    DeleteOutcome out = DeletePaths({path}, true);
    EXPECT_TRUE(out.deleted.empty());
    EXPECT_EQ(testfx::ReadFileBytes(path), "new");
    const auto left = TreeContents(work);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[1].first.rfind(L"\\doc.txt.kept-", 0), 0u) << std::string(left[1].first.begin(), left[1].first.end());
    EXPECT_EQ(left[1].second, "only copy");
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
