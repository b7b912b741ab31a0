#pragma once
// Helpers shared by the tests: scratch folders, the fixture drives mapped by scripts/test,
// and running a native (host) command beside the Windows test process.
#include <string>
#include <vector>

namespace testfx {

// Deletes everything inside a folder (the folder itself stays).
void RemoveTree(const std::wstring& dir);

// Full paths of every file in a folder and its subfolders, except those inside the subfolder
// `except` (a full path; empty: none left out). Used to prove that nothing was written elsewhere.
std::vector<std::wstring> FilesUnder(const std::wstring& dir, const std::wstring& except = L"");

// A fresh, empty folder under the test's temporary folder (Windows path, no trailing slash).
std::wstring MakeScratchDir(const std::wstring& name);

// Root ("T:\") of a fixture drive mapped by scripts/test (letters T and U), emptied first.
// Returns an empty string when the drive is not mapped (the test should then skip).
std::wstring FixtureDrive(wchar_t letter);

// Host path of a fixture drive's folder ("/.../testdrives/t"), empty when unknown.
std::string FixtureDriveHostPath(wchar_t letter);

// Runs a command line in the host's shell (/bin/sh -c) and waits for it; returns its exit code,
// or -1 when host commands cannot be run from here.
int RunHostCommand(const std::string& shellCommand);

// Full path of the running test executable, usable with the file functions. A program started
// from a host folder outside every drive gets a name without a drive ("unix\..."); the device
// namespace ("\\?\unix\...") reaches it.
std::wstring ThisExePath();

// The bytes of a UTF-16LE text file with its byte-order mark.
std::string Utf16LeWithBom(const std::wstring& text);

// Writes a whole file (bytes as given).
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);

// The bytes of a 24-bit bottom-up BMP of w x h pixels in one colour.
std::string MakeBmp(int w, int h, unsigned char r, unsigned char g, unsigned char b);

}  // namespace testfx

namespace testfx {

// Replaces, while it lives, the running executable's import of one function of a system
// library (the slot its calls go through) with `replacement`; the destructor puts the original
// back. Lets a test see which system calls a piece of code makes and on which thread.
class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    bool Installed() const { return slot_ != nullptr; }
    void* Original() const { return original_; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

}  // namespace testfx
