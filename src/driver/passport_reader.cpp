#include "driver/passport_reader.h"

#include <string>

#include "core/run_context.h"
#include "core/run_files.h"
#include "records/console.h"
#include "records/layout.h"
#include "records/text_reader.h"
#include "records/values.h"

namespace pedprep {

namespace {

constexpr int kTextLines = 7;  // free title/comment lines between header and data

// Header: ND and NRAC from the first two fields of a 3I5 record. Every limit is tested
// before anything else of the file is read.
void ReadHeader(RunContext& ctx, TextReader& reader) {
  int32_t nd = 0;
  int32_t nrac = 0;
  reader.Read(Layout::Parse("3I5"), {Into(nd), Into(nrac)});
  if (nd > kMaxRows) PauseAndStop(ctx, {.kind = StopKind::kHeaderTooManyAnimals, .count = nd});
  if (nd <= 0) PauseAndStop(ctx, {.kind = StopKind::kHeaderNoAnimals, .count = nd});
  if (nrac > kMaxBreeds || nrac < 0) {
    PauseAndStop(ctx, {.kind = StopKind::kHeaderBreeds, .count = nrac});
  }
  ctx.store.ND = nd;
  ctx.store.NRAC = nrac;
}

// Reads data record i into position i and checks it. Fields 1-4 and 7 must lie in
// -32767..32767 and fields 5-6 (breed and sex codes) in 0..255, or the record layer reports
// the value out of range: nothing is narrowed. The parents and breed checks stop the run at
// the first faulty record; nothing after it is read.
void ReadDataRecord(RunContext& ctx, TextReader& reader, int i) {
  static const Layout kDataLayout = Layout::Parse("7I5");
  PedigreeStore& st = ctx.store;
  int16_t family = 0, individual = 0, father = 0, mother = 0, initial_id = 0;
  uint8_t breed = 0, sex = 0;
  reader.Read(kDataLayout, {Into(family), Into(individual), Into(father), Into(mother), Into(breed),
                            Into(sex), Into(initial_id)});

  st.MAS0[i] = family;
  st.MAS[i][1] = individual;
  st.MAS[i][2] = father;
  st.MAS[i][3] = mother;
  const bool father_known = st.MAS[i][2] != 0;
  const bool mother_known = st.MAS[i][3] != 0;
  if (father_known != mother_known) {
    Stop(ctx.console, {.kind = StopKind::kOneParentKnown, .family = family, .line = i});
  }

  st.MAS1[i][1] = breed;
  st.MAS1[i][2] = sex;
  const int breed_code = st.MAS1[i][1];
  if (breed_code == 0 && (!father_known || !mother_known)) {
    Stop(ctx.console, {.kind = StopKind::kBreedZeroWithoutParents, .family = family, .line = i});
  }
  if (breed_code != 0 && breed_code != kBreedLoopCopy && father_known && mother_known) {
    WriteListDirected(
        ctx.console,
        {Str(" There parents are presented but race<>0, setting     race=0 in data line"), I32(i)});
    st.MAS1[i][1] = 0;
  }

  st.INI_ID[i] = initial_id;
}

// Family numbers must start a run at the current number or at the next one: from
// position 2 on, each is the current family number or one more. The first position's
// number is not tested here; the sex check reports it.
void CheckFamilyNumbering(RunContext& ctx) {
  const PedigreeStore& st = ctx.store;
  int current = 1;
  for (int i = 2; i <= st.ND; ++i) {
    if (st.MAS0[i] == current) continue;
    if (st.MAS0[i] == current + 1) {
      current = st.MAS0[i];
      continue;
    }
    PauseAndStop(ctx, {.kind = StopKind::kFamilyNumbering, .family = st.MAS0[i], .line = i});
  }
}

}  // namespace

void ReadPassport(RunContext& ctx) {
  TextReader reader = TextReader::Open(ctx.files, kPassportFile);
  ReadHeader(ctx, reader);

  static const Layout kTextLayout = Layout::Parse("A80");
  std::string text(80, ' ');
  for (int n = 0; n < kTextLines; ++n) reader.Read(kTextLayout, {IntoText(text, 80)});

  for (int i = 1; i <= ctx.store.ND; ++i) ReadDataRecord(ctx, reader, i);
  CheckFamilyNumbering(ctx);
}

}  // namespace pedprep
