#include "records/text_writer.h"

#include <stdexcept>

namespace pedprep {
namespace {

void AppendInt(std::string& record, int width, int64_t number) {
  std::string digits = std::to_string(number);
  const std::size_t w = static_cast<std::size_t>(width);
  if (digits.size() > w) {
    record.append(w, '*');
  } else {
    record.append(w - digits.size(), ' ');
    record += digits;
  }
}

void AppendText(std::string& record, int width, const std::string& text) {
  const std::size_t w = static_cast<std::size_t>(width);
  if (w > text.size()) {
    record.append(w - text.size(), ' ');
    record += text;
  } else {
    record.append(text, 0, w);
  }
}

// Walks the layout over `values`, handing every finished record to `emit`.
template <typename Emit>
void Format(const Layout& layout, const OutList& values, Emit&& emit) {
  const std::vector<FieldDesc>& fields = layout.fields();
  if (!values.empty() && !layout.HasValueFields()) {
    throw std::invalid_argument("values given to a layout without I or A fields");
  }
  std::string record;
  std::size_t next_value = 0;
  std::size_t index = 0;
  while (true) {
    if (index == fields.size()) {
      if (next_value == values.size()) break;
      // Layout used up with values left: new record, layout from its start.
      emit(record);
      record.clear();
      index = 0;
    }
    const FieldDesc& field = fields[index++];
    if (field.kind == FieldDesc::Kind::kLiteral) {
      record += field.literal;
    } else if (field.kind == FieldDesc::Kind::kSlash) {
      emit(record);
      record.clear();
    } else {
      if (next_value == values.size()) break;
      const OutValue& value = values[next_value++];
      if (field.kind == FieldDesc::Kind::kInt) {
        if (value.kind != OutValue::Kind::kInt) {
          throw std::invalid_argument("text value for an I field");
        }
        AppendInt(record, field.width, value.number);
      } else {
        if (value.kind != OutValue::Kind::kText) {
          throw std::invalid_argument("integer value for an A field");
        }
        AppendText(record, field.width, value.text);
      }
    }
  }
  emit(record);
}

}  // namespace

std::vector<std::string> FormatRecords(const Layout& layout, const OutList& values) {
  std::vector<std::string> records;
  Format(layout, values, [&records](const std::string& r) { records.push_back(r); });
  return records;
}

void TextFileWriter::Write(const Layout& layout, const OutList& values) {
  Format(layout, values, [this](const std::string& r) {
    bytes_ += r;
    bytes_ += "\r\n";
  });
}

}  // namespace pedprep
