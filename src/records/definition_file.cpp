#include "records/definition_file.h"

#include "records/layout.h"
#include "records/text_reader.h"
#include "records/values.h"

namespace pedprep {
namespace {

std::string ReadName1(TextReader& reader) {
  const Layout text = Layout::Parse("A20");
  std::string name1;
  reader.Read(text, {IntoText(name1, kMarkerNameLength)});
  reader.Read(text, {IntoText(name1, kMarkerNameLength)});
  name1.resize(kMarkerNameLength, ' ');
  return name1;
}

}  // namespace

std::string ReadMarkerFileRecord(FileSystem& folder, const std::string& file_name) {
  TextReader reader = TextReader::Open(folder, file_name);
  return ReadName1(reader);
}

MarkerDefinition ReadMarkerDefinition(FileSystem& folder, const std::string& file_name) {
  TextReader reader = TextReader::Open(folder, file_name);
  MarkerDefinition definition;
  definition.name1 = ReadName1(reader);
  const Layout text = Layout::Parse("A20");
  std::string unused;
  reader.Read(text, {IntoText(unused, kMarkerNameLength)});
  reader.Read(text, {IntoText(unused, kMarkerNameLength)});
  reader.Read(Layout::Parse("I2"), {Into(definition.itr)});
  return definition;
}

}  // namespace pedprep
