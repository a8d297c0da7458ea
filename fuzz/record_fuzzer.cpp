// Fuzzes the record layer: layouts, integer and text fields, list-directed lines and
// segmented records. Input: first byte picks a layout, the rest is the file's text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "records/console.h"
#include "records/input_error.h"
#include "records/layout.h"
#include "records/segmented_writer.h"
#include "records/text_reader.h"
#include "records/text_writer.h"

namespace {

const char* const kLayouts[] = {"3I5", "7I5", "A80", "I5,20I3", "20I5", "A20", "I2", "A15,4096I5"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pedprep;
  if (size < 2) return 0;
  const Layout layout = Layout::Parse(kLayouts[data[0] % 8]);
  const int count = 1 + data[1] % 30;
  std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

  std::vector<int32_t> i32(count);
  std::vector<int16_t> i16(count);
  std::vector<int8_t> i8(count);
  std::vector<std::string> strings(count);
  // Destinations and values follow the layout's field kinds, cycling like reversion does.
  std::vector<FieldDesc::Kind> kinds;
  for (const FieldDesc& f : layout.fields()) {
    if (f.kind == FieldDesc::Kind::kInt || f.kind == FieldDesc::Kind::kText)
      kinds.push_back(f.kind);
  }
  InList targets;
  for (int k = 0; k < count; ++k) {
    if (kinds[k % kinds.size()] == FieldDesc::Kind::kText) {
      targets.push_back(IntoText(strings[k], 1 + (data[1] + k) % 25));
      continue;
    }
    switch ((data[1] / 30 + k) % 3) {
      case 0:
        targets.push_back(Into(i32[k]));
        break;
      case 1:
        targets.push_back(Into(i16[k]));
        break;
      default:
        targets.push_back(Into(i8[k]));
        break;
    }
  }
  try {
    TextReader reader("FUZZ", text);
    reader.Read(layout, targets);
    reader.Read(Layout::Parse("20I5"), {Into(i32[0])});
  } catch (const InputError& e) {
    (void)e.Report();
  }
  OutList values;
  OutList binary;
  for (int k = 0; k < count; ++k) {
    if (kinds[k % kinds.size()] == FieldDesc::Kind::kText) {
      values.push_back(Str(strings[k]));
    } else {
      values.push_back(I32(static_cast<int32_t>(int64_t{i32[k]} + i16[k] + i8[k])));
    }
    binary.push_back(I32(i32[k]));
    binary.push_back(I16(i16[k]));
    binary.push_back(I8(i8[k]));
  }
  TextFileWriter writer;
  writer.Write(layout, values);
  (void)ListDirectedLines(values);
  SegmentedWriter segmented;
  segmented.WriteRecord(binary);
  segmented.WriteRecordStreaming(binary);
  (void)segmented.Close();
  return 0;
}
