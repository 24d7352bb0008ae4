// The test zip writer (see zip_writer.h).
#include "support/zip_writer.h"

#include <cstdio>
#include <stdexcept>

#include "engine/crc32.h"

#ifdef VOK_HAVE_ZLIB
#include <zlib.h>
#endif

namespace zipw {

namespace {

void add16(std::string& out, unsigned v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void add32(std::string& out, std::uint32_t v) {
  add16(out, v & 0xFFFF);
  add16(out, v >> 16);
}

std::string compressed_bytes(const Member& m) {
  if (m.raw) return *m.raw;
  if (m.method == 0) return m.data;
  if (m.method == 8) return deflate_raw(m.data, m.deflate_level);
  throw std::invalid_argument("zip_writer: method " + std::to_string(m.method) + " needs raw bytes");
}

}  // namespace

std::uint32_t crc32_of(const std::string& data) {
  return ~crc32_update(0xFFFFFFFFu, reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
}

bool have_deflate() {
#ifdef VOK_HAVE_ZLIB
  return true;
#else
  return false;
#endif
}

std::string deflate_raw(const std::string& data, int level) {
#ifdef VOK_HAVE_ZLIB
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2 failed");
  std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  int r = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (r != Z_STREAM_END) throw std::runtime_error("deflate failed");
  return out;
#else
  (void)data;
  (void)level;
  throw std::runtime_error("zip_writer: built without zlib, no deflate");
#endif
}

std::string build(const Archive& a) {
  Layout layout;
  return build(a, layout);
}

std::string build(const Archive& a, Layout& layout) {
  layout = Layout{};
  std::string out = a.prefix;
  const std::size_t base = a.offsets_include_prefix ? 0 : a.prefix.size();

  std::vector<std::string> packed;
  std::vector<std::uint32_t> offsets;
  for (const Member& m : a.members) {
    packed.push_back(compressed_bytes(m));
    const std::string& data = packed.back();
    offsets.push_back(static_cast<std::uint32_t>(out.size() - base));
    layout.local_offsets.push_back(out.size());
    if (m.write_local_header) {
      const std::string& name = m.local_name ? *m.local_name : m.name;
      const std::uint32_t crc = m.crc ? *m.crc : crc32_of(m.data);
      out += "PK\x03\x04";
      out += static_cast<char>(m.version_needed);
      out += static_cast<char>(m.host_needed);
      add16(out, m.local_flags ? *m.local_flags : m.flags);
      add16(out, m.local_method ? *m.local_method : static_cast<std::uint16_t>(m.method));
      add16(out, m.local_time ? *m.local_time : m.time);
      add16(out, m.local_date ? *m.local_date : m.date);
      add32(out, m.local_crc ? *m.local_crc : crc);
      add32(out, m.local_compressed_size
                     ? *m.local_compressed_size
                     : (m.compressed_size ? *m.compressed_size : static_cast<std::uint32_t>(data.size())));
      add32(out,
            m.local_uncompressed_size
                ? *m.local_uncompressed_size
                : (m.uncompressed_size ? *m.uncompressed_size : static_cast<std::uint32_t>(m.data.size())));
      add16(out, static_cast<unsigned>(name.size()));
      add16(out, static_cast<unsigned>(m.local_extra.size()));
      out += name;
      out += m.local_extra;
    }
    out += data;
    out += m.data_descriptor;
  }
  out += a.before_directory;

  const std::size_t dir_start = out.size();
  layout.directory_offset = dir_start;
  for (std::size_t i = 0; i < a.members.size(); ++i) {
    const Member& m = a.members[i];
    layout.central_offsets.push_back(out.size());
    out += "PK\x01\x02";
    out += static_cast<char>(m.version_made);
    out += static_cast<char>(m.host_made);
    out += static_cast<char>(m.version_needed);
    out += static_cast<char>(m.host_needed);
    add16(out, m.flags);
    add16(out, static_cast<unsigned>(m.method));
    add16(out, m.time);
    add16(out, m.date);
    add32(out, m.crc ? *m.crc : crc32_of(m.data));
    add32(out, m.compressed_size ? *m.compressed_size : static_cast<std::uint32_t>(packed[i].size()));
    add32(out, m.uncompressed_size ? *m.uncompressed_size : static_cast<std::uint32_t>(m.data.size()));
    add16(out, m.name_length ? *m.name_length : static_cast<unsigned>(m.name.size()));
    add16(out, m.extra_length ? *m.extra_length : static_cast<unsigned>(m.central_extra.size()));
    add16(out, m.comment_length ? *m.comment_length : static_cast<unsigned>(m.comment.size()));
    add16(out, m.disk_start);
    add16(out, m.internal_attr);
    add32(out, m.external_attr);
    add32(out, m.local_offset ? *m.local_offset : offsets[i]);
    out += m.name;
    out += m.central_extra;
    out += m.comment;
  }
  const std::size_t dir_size = out.size() - dir_start;
  out += a.before_end_record;

  layout.end_record_offset = out.size();
  if (a.write_end_record) {
    const auto count = static_cast<std::uint16_t>(a.members.size());
    out += "PK\x05\x06";
    add16(out, a.this_disk);
    add16(out, a.dir_start_disk);
    add16(out, a.entries_this_disk ? *a.entries_this_disk : count);
    add16(out, a.entries_total ? *a.entries_total : count);
    add32(out, a.dir_size ? *a.dir_size : static_cast<std::uint32_t>(dir_size));
    add32(out, a.dir_offset ? *a.dir_offset : static_cast<std::uint32_t>(dir_start - base));
    add16(out, a.comment_length ? *a.comment_length : static_cast<unsigned>(a.comment.size()));
    out += a.comment;
  }
  out += a.after_end;
  return out;
}

bool write_file(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool good = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && good;
}

void put_le16(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes.at(at) = static_cast<char>(value & 0xFF);
  bytes.at(at + 1) = static_cast<char>(value >> 8);
}

void put_le32(std::string& bytes, std::size_t at, std::uint32_t value) {
  put_le16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
  put_le16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace zipw
