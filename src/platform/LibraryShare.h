#pragma once
// The archive library opens archive files itself, by name. An archive it
// keeps open between transactions must not stand in the way of the user's
// other programs (a build tool writing the mod anew, the game's mod manager
// putting a new version in place): they may delete it, or rename another
// file over it, while it is open here. The next open sees the new file by its
// stamp (see ArchiveFile.h) and reads it afresh.
namespace storm {

// Makes the library's read-only opens of a file share it with deleting and
// renaming as this layer's own opens do. Once per process, before the first
// archive is opened; nothing to do where an open file never stands in the way.
void ShareLibraryReadOpens();

}  // namespace storm
