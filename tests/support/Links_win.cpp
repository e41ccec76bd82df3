#include "Links.h"

#include <windows.h>

#include <QDir>
#include <QFileInfo>

namespace fixtures {

namespace {

bool IsLinkNow(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

bool makeLink(const QString& target, const QString& link) {
  DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  if (QFileInfo(target).isDir()) flags |= SYMBOLIC_LINK_FLAG_DIRECTORY;
  const std::wstring from = QDir::toNativeSeparators(link).toStdWString();
  const std::wstring to = QDir::toNativeSeparators(target).toStdWString();
  // Systems before Windows 10's developer mode know no unprivileged flag.
  // Wine's CreateSymbolicLinkW says it made a link and makes nothing: only
  // a link that is there counts.
  if (!CreateSymbolicLinkW(from.c_str(), to.c_str(), flags))
    CreateSymbolicLinkW(from.c_str(), to.c_str(), flags & SYMBOLIC_LINK_FLAG_DIRECTORY);
  return IsLinkNow(from);
}

}  // namespace fixtures
