#pragma once
// The steps of opening a folder below a chosen one: the chosen folder itself,
// then each level relative to the one above it, never through a link. The
// folders are held by descriptors (on Windows C runtime descriptors over the
// folders' handles).
#include <QString>

namespace files {

// The chosen folder (a link to it is followed: the user chose it); with make,
// made with its parents when missing. -1 when it cannot be made or opened.
int OpenChosenFolder(const QString& folder, bool make);

// A folder level below fd, never through a link; -1 (errno set) when it is
// missing, a link or no folder. With make, a level found missing is made and
// opened again; made tells whether it was made (true also when that second
// open fails, so that the caller can take the folder away again).
int OpenLevel(int fd, const QString& name);
int OpenLevel(int fd, const QString& name, bool make, bool& made);

// Closes a folder opened here.
void CloseFolder(int fd);
// Another descriptor of the folder fd; -1 when none can be had.
int DuplicateFolder(int fd);
// Whether name below fd is a link (on Windows any reparse point), never
// followed; and whether anything stands under the name, a link counting.
bool IsLinkBelow(int fd, const QString& name);
bool StandsBelow(int fd, const QString& name);
// Removes the empty folder name below fd; false when it is not there, not
// empty, or a link.
bool RemoveFolderLevel(int fd, const QString& name);

}  // namespace files
