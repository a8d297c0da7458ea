#include "reports/kinship.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <random>
#include <sstream>

#include "figures/animal_table.h"
#include "figures/run_facts.h"
#include "reading/observed_run.h"
#include "testing/build_paths.h"
#include "testing/run_folder.h"

namespace pedprep {
namespace {

constexpr int32_t kNone = kUnknownParent;

// The three products of a book for `x`: kinship, fN, g.
struct Products {
  std::vector<double> f, fn, g;
};

Products Multiply(const std::vector<ParentLinks>& links, const std::vector<double>& native,
                  const std::vector<double>& x) {
  const AncestryFigures figures = ComputeAncestry(links);
  KinshipProduct identical;
  KinshipProduct both;
  KinshipProduct::Native(links, figures, native, &identical, &both);
  return {KinshipProduct::Kinship(links, figures).Times(x), identical.Times(x), both.Times(x)};
}

// Founders 1 (native, male), 2 (other breed), 3 (native); 4 = 1 x 2, 5 = 4 x 3. By hand,
// candidates 3, 4, 5: f rows (1/2, 0, 1/4), (0, 1/2, 1/4), (1/4, 1/4, 1/2); fN rows
// (1/2, 0, 1/4), (0, 1/4, 1/8), (1/4, 1/8, 3/8); g rows (1, 1/2, 3/4), (1/2, 1/4, 3/8),
// (3/4, 3/8, 5/8).
TEST(Kinship, FiveAnimalsTwoBreedsByHand) {
  const std::vector<ParentLinks> links = {
      {kNone, kNone}, {kNone, kNone}, {kNone, kNone}, {0, 1}, {3, 2}};
  const Products p = Multiply(links, {1, 0, 1, 0, 0}, {0, 0, 1, 1, 1});
  const std::vector<double> f = {0.75, 0.75, 1.0};
  const std::vector<double> fn = {0.75, 0.375, 0.75};
  const std::vector<double> g = {2.25, 1.125, 1.75};
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_DOUBLE_EQ(p.f[k + 2], f[k]) << k;
    EXPECT_DOUBLE_EQ(p.fn[k + 2], fn[k]) << k;
    EXPECT_DOUBLE_EQ(p.g[k + 2], g[k]) << k;
  }
  // A calf of 4 with an unknown dam of native fraction 1 (its own fraction 3/4): fN_66 =
  // 3/8, g_66 = 3/8 + (1/2)(1/2)(1) = 5/8 with an unrelated, wholly native dam.
  std::vector<ParentLinks> more = links;
  more.push_back({3, kNone});
  const Products q = Multiply(more, {1, 0, 1, 0, 0, 0.75}, {0, 0, 0, 0, 0, 1});
  EXPECT_DOUBLE_EQ(q.f[5], 0.5);
  EXPECT_DOUBLE_EQ(q.fn[5], 0.375);
  EXPECT_DOUBLE_EQ(q.g[5], 0.625);
}

// The tabular recursions, animals 0..m-1 parents first, each with two parents or none (an
// unknown parent is a founder of its own here).
struct Tabular {
  std::vector<std::vector<double>> f, fn, g;
};

Tabular TabularOf(const std::vector<ParentLinks>& links, const std::vector<double>& nc) {
  const std::size_t m = links.size();
  Tabular t{std::vector<std::vector<double>>(m, std::vector<double>(m, 0.0)), {}, {}};
  t.fn = t.g = t.f;
  const auto founder = [&](std::size_t i) { return links[i].father == kNone; };
  for (std::size_t j = 0; j < m; ++j) {
    const auto s = static_cast<std::size_t>(links[j].father);
    const auto d = static_cast<std::size_t>(links[j].mother);
    for (std::size_t i = 0; i < j; ++i) {
      for (auto* matrix : {&t.f, &t.fn, &t.g}) {
        auto& a = *matrix;
        double v = 0.0;
        if (!founder(j)) {
          v = 0.5 * (a[i][s] + a[i][d]);
        } else if (!founder(i)) {
          v = 0.5 * (a[static_cast<std::size_t>(links[i].father)][j] +
                     a[static_cast<std::size_t>(links[i].mother)][j]);
        } else if (matrix == &t.g) {
          v = nc[i] * nc[j];
        }
        a[i][j] = a[j][i] = v;
      }
    }
    t.f[j][j] = founder(j) ? 0.5 : 0.5 + 0.5 * t.f[s][d];
    t.fn[j][j] = founder(j) ? 0.5 * nc[j] : 0.5 * nc[j] + 0.5 * t.fn[s][d];
    t.g[j][j] = founder(j) ? nc[j] : 0.5 * nc[j] + 0.5 * t.g[s][d];
  }
  return t;
}

// Seeded random books, numbered in a shuffled order, some animals with one parent unknown:
// the products agree with the tables for random candidate sets.
TEST(Kinship, ProductsEqualTheTabularRecursions) {
  std::mt19937 random(38);
  const double fractions[] = {0.0, 1.0, 0.5, 0.25, 1.0};
  for (int round = 0; round < 40; ++round) {
    const std::size_t animals = 2 + random() % 40;
    // Animal a (parents first) is number[a] of the book; in the table, row_of[a], after a
    // founder of its own for an unknown parent when the other is known.
    std::vector<int32_t> number(animals);
    std::iota(number.begin(), number.end(), 0);
    std::shuffle(number.begin(), number.end(), random);
    std::vector<ParentLinks> book(animals);
    std::vector<double> given(animals);
    std::vector<double> x(animals);
    std::vector<ParentLinks> table;
    std::vector<double> nc;
    std::vector<std::size_t> row_of(animals);
    for (std::size_t a = 0; a < animals; ++a) {
      int32_t parents[2] = {kNone, kNone};
      if (a >= 2 && random() % 4 != 0) {
        for (int32_t& parent : parents) parent = static_cast<int32_t>(random() % a);
        if (random() % 6 == 0) parents[random() % 2] = kNone;
      }
      const auto at = static_cast<std::size_t>(number[a]);
      given[at] = fractions[random() % 5];
      x[at] = static_cast<double>(random() % 3);
      int32_t rows[2] = {kNone, kNone};
      for (int k = 0; k < 2; ++k) {
        if (parents[k] == kNone) continue;
        book[at].*(k == 0 ? &ParentLinks::father : &ParentLinks::mother) =
            number[static_cast<std::size_t>(parents[k])];
        rows[k] = static_cast<int32_t>(row_of[static_cast<std::size_t>(parents[k])]);
      }
      if ((rows[0] == kNone) != (rows[1] == kNone)) {
        const auto known = static_cast<std::size_t>(std::max(rows[0], rows[1]));
        table.push_back({kNone, kNone});
        nc.push_back(std::clamp(2.0 * given[at] - nc[known], 0.0, 1.0));
        rows[0] = static_cast<int32_t>(known);
        rows[1] = static_cast<int32_t>(table.size() - 1);
      }
      table.push_back({rows[0], rows[1]});
      nc.push_back(rows[0] == kNone ? given[at]
                                    : 0.5 * (nc[static_cast<std::size_t>(rows[0])] +
                                             nc[static_cast<std::size_t>(rows[1])]));
      row_of[a] = table.size() - 1;
    }
    const Products p = Multiply(book, given, x);
    const Tabular t = TabularOf(table, nc);
    for (std::size_t i = 0; i < animals; ++i) {
      double want[3] = {0.0, 0.0, 0.0};
      for (std::size_t j = 0; j < animals; ++j) {
        const double xj = x[static_cast<std::size_t>(number[j])];
        want[0] += t.f[row_of[i]][row_of[j]] * xj;
        want[1] += t.fn[row_of[i]][row_of[j]] * xj;
        want[2] += t.g[row_of[i]][row_of[j]] * xj;
      }
      const auto at = static_cast<std::size_t>(number[i]);
      ASSERT_NEAR(p.f[at], want[0], 1e-9) << "round " << round << " animal " << i;
      ASSERT_NEAR(p.fn[at], want[1], 1e-9) << "round " << round << " animal " << i;
      ASSERT_NEAR(p.g[at], want[2], 1e-9) << "round " << round << " animal " << i;
    }
  }
}

// On the four studbooks: columns of the kinship matrix against each pair's kinship walked
// over the two animals' ancestors (the calf's F, figures/inbreeding.h), itself included.
TEST(Kinship, StudbooksEqualThePairsWalked) {
  const auto data = testing::SharedDataDir() / "eeza-ungulates";
  PEDPREP_NEED_SHARED_DATA(data);
  DiskFileSystem folder(data.string());
  const std::unique_ptr<ObservedRun> run = ObserveRun(folder);
  const RunFacts facts(*run);
  ASSERT_NE(facts.Animals(), nullptr) << facts.AnimalsFault();
  const AnimalTable& table = *facts.Animals();
  const KinshipProduct product = KinshipProduct::Kinship(table.links, table.figures);
  CalfInbreeding calf(table.links, table.figures);
  const std::size_t n = table.links.size();
  for (std::size_t i = 0; i < n; i += 97) {
    std::vector<double> x(n, 0.0);
    x[i] = 1.0;
    const std::vector<double> column = product.Times(x);
    for (std::size_t j = 0; j < n; ++j) {
      ASSERT_NEAR(column[j], calf.Of(static_cast<int32_t>(i), static_cast<int32_t>(j)), 1e-9)
          << i << " " << j;
    }
  }
}

struct Ranked {
  int status = 0;
  std::string out, err;
};

Ranked Rank(const KinshipRequest& request) {
  MemoryFileSystem folder;
  testing::PutCleanInputs(folder);
  folder.files["ids.csv"] = "ini_id,id,born\r\n3,S,2001\r\n4,D,2001\r\n5,\"C,1\",2002\r\n";
  std::ostringstream out, err;
  Ranked r;
  r.status = WithRunFacts(
      folder, err, [&](const RunFacts& facts) { return RunKinship(facts, request, out, err); });
  r.out = out.str();
  r.err = err.str();
  return r;
}

// Family 1: founders 1:1 (breed1) and 1:2 (breed2), full sibs S and D, their son C,1; family
// 2: founders 2:1 (breed2), 2:2 (breed1) and their daughter 2:3. By hand: f_SD = 1/4, f_SC =
// 3/8, f_CC = 5/8; fN_SS = g_SS = g_SD = g_SC = 1/4, fN_SD = 1/8, fN_SC = 3/16, fN_CC = 5/16,
// g_CC = 3/8.
TEST(Kinship, CandidatesRankedAndWritten) {
  KinshipRequest request;
  request.born_from = 2001;
  request.native = "breed1";
  Ranked r = Rank(request);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "candidates: 3\n"
            "mean kinship: 0.402778\n"
            "gene diversity: 0.597222\n"
            "founder genome equivalents: 1.2414\n"
            "native contribution: 0.500000\n"
            "native kinship: 0.763158\n"
            "\n"
            "  id   mean_kinship  native_contribution  native_kinship\n"
            "  S        0.375000             0.500000        0.750000\n"
            "  D        0.375000             0.500000        0.750000\n"
            "  C,1      0.458333             0.500000        0.785714\n");
  request = KinshipRequest{};
  request.candidates_name = "c.txt";
  request.candidates_text = "C,1\n2:3\n1:1\n";
  request.csv = true;
  r = Rank(request);
  EXPECT_EQ(r.out, "id,mean_kinship\r\n\"C,1\",0.291667\r\n2:3,0.166667\r\n1:1,0.250000\r\n");
  EXPECT_EQ(r.err,
            "candidates: 3\nmean kinship: 0.236111\ngene diversity: 0.763889\n"
            "founder genome equivalents: 2.1176\n");
}

TEST(Kinship, ProblemsNamed) {
  const struct {
    const char* candidates;
    const char* native;
    const char* err;
  } cases[] = {
      {"S\n\nX\x01\n", "",
       "pedprep kinship: c.txt:3: X\\x01 names no animal (a herd-book id of "
       "ids.csv or FAMILY:INDIVIDUAL)\n"},
      {"\n", "", "pedprep kinship: no animal is a candidate\n"},
      {"S\n", "breed3",
       "pedprep kinship: no breed breed3 in the breed legend; the breeds: breed1 breed2\n"},
  };
  for (const auto& c : cases) {
    KinshipRequest request;
    request.candidates_name = "c.txt";
    request.candidates_text = c.candidates;
    request.native = c.native;
    const Ranked r = Rank(request);
    EXPECT_EQ(r.status, 1) << c.candidates;
    EXPECT_EQ(r.out, "") << c.candidates;
    EXPECT_EQ(r.err, c.err) << c.candidates;
  }
}

}  // namespace
}  // namespace pedprep
