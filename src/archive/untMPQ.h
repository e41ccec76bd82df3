#pragma once
// The archive unit in one include: line splitting, the archive reader, the
// update-library binding, the mod information record and the sheet codec.
#include "archive/ArchiveReader.h"
#include "archive/ModInfo.h"
#include "archive/TextLines.h"
#include "archive/UpdateLibrary.h"
#if __has_include("archive/SheetCodec.h")
#include "archive/SheetCodec.h"
#endif
