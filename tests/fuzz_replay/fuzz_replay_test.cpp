// Every input kept in a fuzz corpus goes through its target again; a broken invariant aborts
// the test, naming it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/fuzz_targets.h"

namespace velmora::fuzz {
namespace {

struct Corpus {
  const char* name;
  Target target;
};

void PrintTo(const Corpus& corpus, std::ostream* os) {
  *os << corpus.name;
}

class FuzzCorpus : public ::testing::TestWithParam<Corpus> {};

TEST_P(FuzzCorpus, EveryKeptInputKeepsTheInvariants) {
  const auto directory = std::filesystem::path(VELMORA_FUZZ_CORPORA) / GetParam().name;
  ASSERT_TRUE(std::filesystem::is_directory(directory)) << directory;
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    SCOPED_TRACE(entry.path().filename().string());
    GetParam().target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ++replayed;
  }
  EXPECT_GT(replayed, 0) << "empty corpus " << directory;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus,
                         ::testing::Values(Corpus{"text_operations", text_operations},
                                           Corpus{"share_listing", share_listing},
                                           Corpus{"link_analysis", link_analysis},
                                           Corpus{"address_cutting", address_cutting},
                                           Corpus{"charset_decoding", charset_decoding}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmora::fuzz
