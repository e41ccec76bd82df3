// The mod information record as Open decodes it: whatever the bytes, the
// decoder reads only inside them, and what it returns encodes into a record
// that decodes to the same six texts.
#include <QByteArray>

#include "FuzzSupport.h"
#include "archive/ModInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // No copy: a read past the input's end lands outside the fuzzer's buffer.
  const QByteArray record = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  const ModInfo info = DecodeModInfo(record);

  qsizetype total = 0;
  for (const QByteArray& text : info.texts) {
    fuzz::Check(!text.contains('\0'), "a text keeps a NUL");
    total += text.size();
  }
  fuzz::Check(total <= qMax<qsizetype>(0, record.size() - ModInfoHeader::kSize), "texts longer than the record");

  const QByteArray again = EncodeModInfo(info);
  fuzz::Check(again.size() == ModInfoHeader::kSize + total, "record size is not 40 plus the lengths");
  const ModInfo back = DecodeModInfo(again);
  for (int i = 0; i < ModInfo::TextCount; ++i) fuzz::Check(back.texts[i] == info.texts[i], "re-encoded text differs");
  return 0;
}
