// Central file headers (see central_header.h).
//
// Names from systems that store them in upper case only (FAT, VM/CMS, Atari,
// CP/M, TOPS-20) are shown and matched in lower case unless -U asks to keep
// them. A volume label from a system that has labels (FAT, Atari, HPFS, NTFS)
// is never lowercased.
#include "engine/central_header.h"

#include "engine/archive.h"
#include "engine/zip_format.h"

int read_central_header(EngineState& s) {
  std::uint8_t b[zipfmt::central_header_size];
  // A header cut short by the end of the file is an unexpected end: its
  // missing fields would otherwise be taken from stale bytes.
  if (read_block(s, b, sizeof b) < static_cast<int>(sizeof b)) return unexpected_end;
  using namespace zipfmt;
  CentralHeader& h = s.member.central;
  h.version_made = b[ch_version_made];
  h.host_made = b[ch_host_made];
  h.version_needed = b[ch_version_needed];
  h.host_needed = b[ch_host_needed];
  h.flags = static_cast<std::uint16_t>(read_le16(b + ch_flags));
  h.method = static_cast<std::uint16_t>(read_le16(b + ch_method));
  h.time = static_cast<std::uint16_t>(read_le16(b + ch_time));
  h.date = static_cast<std::uint16_t>(read_le16(b + ch_date));
  h.crc = read_le32(b + ch_crc);
  h.compressed_size = read_le32(b + ch_compressed_size);
  h.uncompressed_size = read_le32(b + ch_uncompressed_size);
  h.name_length = static_cast<std::uint16_t>(read_le16(b + ch_name_length));
  h.extra_length = static_cast<std::uint16_t>(read_le16(b + ch_extra_length));
  h.comment_length = static_cast<std::uint16_t>(read_le16(b + ch_comment_length));
  h.disk_start = static_cast<std::uint16_t>(read_le16(b + ch_disk_start));
  h.internal_attr = static_cast<std::uint16_t>(read_le16(b + ch_internal_attr));
  h.external_attr = read_le32(b + ch_external_attr);
  h.local_offset = read_le32(b + ch_local_offset);
  return ok;
}

int process_central_header(EngineState& s) {
  if (int r = read_central_header(s); r != ok) return r;
  MemberInfo* m = s.member.current_member;
  if (m == nullptr) return ok;
  using namespace zipfmt;
  const CentralHeader& h = s.member.central;
  int host = h.host_made >= host_unknown ? static_cast<int>(host_unknown) : static_cast<int>(h.host_made);
  m->host = host;
  m->flags = static_cast<std::uint8_t>(m->flags & ~member_lowercase);
  if (s.opt.keep_case == 0 && (host == host_fat || host == host_vm_cms || host == host_atari ||
                               host == host_cpm || host == host_tops20))
    m->flags |= member_lowercase;
  bool label_host = host == host_fat || host == host_atari || host == host_hpfs || host == host_ntfs;
  if ((h.external_attr & 0x08u) != 0 && label_host) {
    m->flags = static_cast<std::uint8_t>((m->flags | member_volume_label) & ~member_lowercase);
  } else {
    m->flags = static_cast<std::uint8_t>(m->flags & ~member_volume_label);
  }
  return ok;
}
