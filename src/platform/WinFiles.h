#pragma once
// What the Windows side of the platform layer shares (used by the *_win.cpp
// files only): disk paths as wide names, C runtime descriptors over handles,
// and a folder's path from its handle.
//
// A disk path on Windows is the path's UTF-8; it reaches the system only
// through the wide (W) calls, never through the ANSI code page. Paths past
// MAX_PATH take the long-path form "\\?\".
#include <windows.h>

#include <QByteArray>
#include <QString>
#include <string>

namespace files::win {

// The wide form of a disk path (UTF-8) or of a path Qt spells; '/' becomes
// '\', and an absolute path past MAX_PATH gets the long-path prefix.
std::wstring Wide(const QByteArray& diskPath);
std::wstring Wide(const QString& path);
// The UTF-8 of a wide name.
QByteArray Utf8(const wchar_t* name, int length = -1);

// A C runtime descriptor owning handle (closed when that fails: -1); the
// handle of a descriptor.
int Adopt(HANDLE handle);
HANDLE HandleOf(int fd);

// The folder or file open at fd as a wide path, or empty: the path it was
// opened by when that was remembered (see RememberPath), else what the
// system says (which under Wine stops at MAX_PATH).
std::wstring PathOf(int fd);
// Remembers the path fd was opened by, until ForgetPath. The folders held
// open this way share no right to delete or rename them, so the path keeps
// naming the folder as long as fd lives.
void RememberPath(int fd, const std::wstring& path);
void ForgetPath(int fd);
// path\name.
std::wstring Join(const std::wstring& path, const QString& name);

// errno for the last Windows error, as the POSIX calls would have set it.
void SetErrnoFromLastError();

// Whether GetLastError() says another program holds the file: Windows then
// only needs a moment (a scanner looking at a fresh file) or the other
// program to let go (the game holding the mod).
bool HeldByAnother();

// True when the last level of path is only another file's or folder's short
// name there (LONGFI~1.TXT for longfilename.txt): what it reaches goes by a
// name of its own. False when nothing is there.
bool NamesAnother(const std::wstring& path);

}  // namespace files::win
