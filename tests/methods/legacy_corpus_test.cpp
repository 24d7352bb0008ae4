// Every shrunk, reduced and imploded member of the real-archive corpus
// (archives made by PKZIP 0.8 to 1.10 and the tools of their time) decodes to
// the bytes whose sha256 the corpus records. Each member's data is found with
// a small directory walk of its own, so that this test depends on the
// decoders only; the decoders then read the archive file itself.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "engine/methods/explode.h"
#include "engine/methods/unreduce.h"
#include "engine/methods/unshrink.h"
#include "engine/zip_format.h"
#include "support/corpus.h"
#include "support/legacy_harness.h"

namespace {

std::uint32_t le16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8;
}
std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return le16(b, at) | static_cast<std::uint32_t>(le16(b, at + 2)) << 16;
}

struct Located {
  bool found = false;
  std::int64_t data_offset = 0;
  std::uint16_t flags = 0, method = 0;
  std::uint32_t csize = 0, usize = 0;  // from the central directory (PKZIP 1.x writes no descriptors)
};

// The index-th central directory entry and the data behind its local header.
Located locate(const std::vector<std::uint8_t>& zip, int index) {
  Located r;
  if (zip.size() < 22) return r;
  std::size_t end = zip.size() - 22;
  while (true) {
    if (std::memcmp(&zip[end], zipfmt::end_sig_bytes, 4) == 0) break;
    if (end == 0 || zip.size() - end > 22 + 65535) return r;
    --end;
  }
  std::uint32_t dir_size = le32(zip, end + 12), dir_offset = le32(zip, end + 16);
  // Archives with data in front: the directory sits right before the end record.
  std::int64_t prefix = static_cast<std::int64_t>(end) - dir_size - dir_offset;
  std::size_t p = static_cast<std::size_t>(dir_offset + prefix);
  for (int i = 0; p + 46 <= zip.size() && std::memcmp(&zip[p], zipfmt::central_sig_bytes, 4) == 0; ++i) {
    std::size_t next = p + 46 + le16(zip, p + 28) + le16(zip, p + 30) + le16(zip, p + 32);
    if (i == index) {
      r.flags = static_cast<std::uint16_t>(le16(zip, p + 8));
      r.method = static_cast<std::uint16_t>(le16(zip, p + 10));
      r.csize = le32(zip, p + 20);
      r.usize = le32(zip, p + 24);
      std::size_t local = static_cast<std::size_t>(le32(zip, p + 42) + prefix);
      if (local + 30 > zip.size() || std::memcmp(&zip[local], zipfmt::local_sig_bytes, 4) != 0) return r;
      r.data_offset = static_cast<std::int64_t>(local + 30 + le16(zip, local + 26) + le16(zip, local + 28));
      r.found = true;
      return r;
    }
    p = next;
  }
  return r;
}

legacy::Decoder decoder_for(int method) {
  if (method == 1) return unshrink;
  if (method >= 2 && method <= 5) return unreduce;
  return explode;
}

TEST(LegacyCorpus, EveryMemberGivesItsAgreedBytes) {
  VOK_REQUIRE_CORPUS();
  std::map<int, int> passed, total;
  std::map<std::string, std::vector<std::uint8_t>> archives;
  for (const corpus::Member& m : corpus::members()) {
    if (m.method < 1 || m.method > 6 || m.encrypted || m.agreed_sha256.empty()) continue;
    ++total[m.method];
    std::string path = corpus::dir() + "/" + m.file;
    auto& zip = archives[m.file];
    if (zip.empty()) {
      std::ifstream f(path, std::ios::binary);
      zip.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    Located at = locate(zip, m.index);
    ASSERT_TRUE(at.found) << m.file << " #" << m.index;
    ASSERT_EQ(at.method, m.method) << m.file << " #" << m.index;

    legacy::MemberSetup setup;
    setup.method = at.method;
    setup.flags = at.flags;
    setup.uncompressed_size = at.usize;
    setup.compressed_size = static_cast<long>(at.csize);
    setup.file = path;
    setup.data_offset = at.data_offset;
    auto r = legacy::run_decoder(decoder_for(m.method), {}, setup);
    ASSERT_FALSE(r.setup_failed) << path;
    // unreduce returns what its last flush gave; the other two report their own result.
    if (m.method == 1 || m.method == 6) {
      EXPECT_EQ(r.result, 0) << m.file << " #" << m.index << " " << m.name;
    }
    std::string sha = corpus::sha256_hex(r.output.data(), r.output.size());
    EXPECT_EQ(sha, m.agreed_sha256) << m.file << " #" << m.index << " " << m.name << " (method " << m.method
                                    << ", flags " << at.flags << ", " << r.output.size() << " of " << at.usize
                                    << " bytes)";
    if (sha == m.agreed_sha256) ++passed[m.method];
  }
  for (auto [method, count] : total)
    std::printf("method %d: %d of %d members give their agreed bytes\n", method, passed[method], count);
  EXPECT_GT(total[1] + total[2] + total[6], 0) << "the corpus lists no legacy members";
}

}  // namespace
