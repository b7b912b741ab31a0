#include "platform/VolumeIo.h"

// First cut: every call goes to the system; the layer's own journal follows.

HANDLE VolumeIoCreateFile(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                          DWORD flagsAndAttributes, HANDLE templateFile) {
    return CreateFileW(fileName, desiredAccess, shareMode, securityAttributes, creationDisposition,
                       flagsAndAttributes, templateFile);
}
BOOL VolumeIoCloseHandle(HANDLE handle) { return CloseHandle(handle); }
BOOL VolumeIoDeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                             LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                             LPOVERLAPPED overlapped) {
    return DeviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                           bytesReturned, overlapped);
}
BOOL VolumeIoReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
                      LPOVERLAPPED overlapped) {
    return ReadFile(file, buffer, bytesToRead, bytesRead, overlapped);
}
BOOL VolumeIoSetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove, PLARGE_INTEGER newFilePointer,
                              DWORD moveMethod) {
    return SetFilePointerEx(file, distanceToMove, newFilePointer, moveMethod);
}
BOOL VolumeIoGetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
    return GetFileInformationByHandle(file, information);
}
BOOL VolumeIoCancelIoEx(HANDLE file, LPOVERLAPPED overlapped) { return CancelIoEx(file, overlapped); }
BOOL VolumeIoCancelSynchronousIo(HANDLE thread) { return CancelSynchronousIo(thread); }
BOOL VolumeIoGetVolumeInformation(LPCWSTR rootPathName, LPWSTR volumeNameBuffer, DWORD volumeNameSize,
                                  LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength,
                                  LPDWORD fileSystemFlags, LPWSTR fileSystemNameBuffer,
                                  DWORD fileSystemNameSize) {
    return GetVolumeInformationW(rootPathName, volumeNameBuffer, volumeNameSize, volumeSerialNumber,
                                 maximumComponentLength, fileSystemFlags, fileSystemNameBuffer,
                                 fileSystemNameSize);
}
void VolumeIoSetStateFolder(const std::wstring&) {}
void VolumeIoSetDriveOptions(wchar_t, const VolumeIoDriveOptions&) {}
void VolumeIoClearDriveOptions() {}
void VolumeIoScriptError(wchar_t, DWORD, DWORD, unsigned) {}
void VolumeIoScriptOutput(wchar_t, DWORD, const std::vector<BYTE>&, unsigned) {}
void VolumeIoClearScripts() {}
void VolumeIoResetForTests() {}
VolumeIoStandInStats VolumeIoGetStandInStats(wchar_t) { return {}; }
