// The zip records the engine reads: signatures, record sizes and field offsets.
//
// All integers in an archive are little-endian and unsigned; they are always
// assembled from bytes with read_le16/read_le32, never by casting a struct
// over the buffer (no alignment or padding assumptions).
#pragma once

#include <cstddef>
#include <cstdint>

namespace zipfmt {

// Record signatures: 'P' 'K' followed by two record-specific bytes.
inline constexpr std::uint8_t end_sig_bytes[4] = {'P', 'K', 5, 6};
inline constexpr std::uint8_t central_sig_bytes[4] = {'P', 'K', 1, 2};
inline constexpr std::uint8_t local_sig_bytes[4] = {'P', 'K', 3, 4};

// End-of-central-directory record: 22 bytes, then the archive comment.
inline constexpr std::size_t end_record_size = 22;
inline constexpr std::size_t end_this_disk = 4;
inline constexpr std::size_t end_dir_start_disk = 6;
inline constexpr std::size_t end_entries_this_disk = 8;
inline constexpr std::size_t end_entries_total = 10;
inline constexpr std::size_t end_dir_size = 12;
inline constexpr std::size_t end_dir_offset = 16;
inline constexpr std::size_t end_comment_length = 20;

// Central file header: 46 bytes including the signature. Offsets below are
// relative to the 42 bytes that follow the signature.
inline constexpr std::size_t central_header_size = 42;
inline constexpr std::size_t ch_version_made = 0;      // zip format version, times ten
inline constexpr std::size_t ch_host_made = 1;         // host system byte
inline constexpr std::size_t ch_version_needed = 2;
inline constexpr std::size_t ch_host_needed = 3;
inline constexpr std::size_t ch_flags = 4;
inline constexpr std::size_t ch_method = 6;
inline constexpr std::size_t ch_time = 8;
inline constexpr std::size_t ch_date = 10;
inline constexpr std::size_t ch_crc = 12;
inline constexpr std::size_t ch_compressed_size = 16;
inline constexpr std::size_t ch_uncompressed_size = 20;
inline constexpr std::size_t ch_name_length = 24;
inline constexpr std::size_t ch_extra_length = 26;
inline constexpr std::size_t ch_comment_length = 28;
inline constexpr std::size_t ch_disk_start = 30;
inline constexpr std::size_t ch_internal_attr = 32;
inline constexpr std::size_t ch_external_attr = 34;
inline constexpr std::size_t ch_local_offset = 38;

// Local file header: 30 bytes including the signature. Offsets below are
// relative to the 26 bytes that follow the signature.
inline constexpr std::size_t local_header_size = 26;
inline constexpr std::size_t lh_version_needed = 0;
inline constexpr std::size_t lh_flags = 2;
inline constexpr std::size_t lh_method = 4;
inline constexpr std::size_t lh_time = 6;
inline constexpr std::size_t lh_date = 8;
inline constexpr std::size_t lh_crc = 10;
inline constexpr std::size_t lh_compressed_size = 14;
inline constexpr std::size_t lh_uncompressed_size = 18;
inline constexpr std::size_t lh_name_length = 22;
inline constexpr std::size_t lh_extra_length = 24;

// General purpose flag bits.
inline constexpr unsigned flag_encrypted = 0x0001;
inline constexpr unsigned flag_explode_8k_window = 0x0002;
inline constexpr unsigned flag_explode_literal_tree = 0x0004;
inline constexpr unsigned flag_data_descriptor = 0x0008;

// Compression methods the engine decodes.
enum Method : unsigned {
  method_stored = 0,
  method_shrunk = 1,
  method_reduced1 = 2,
  method_reduced2 = 3,
  method_reduced3 = 4,
  method_reduced4 = 5,
  method_imploded = 6,
  method_deflated = 8,
};

// Host systems (upper byte of "version made by"); 12 and above count as 12.
enum Host : int {
  host_fat = 0,
  host_amiga = 1,
  host_vms = 2,
  host_unix = 3,
  host_vm_cms = 4,
  host_atari = 5,
  host_hpfs = 6,
  host_mac = 7,
  host_z_system = 8,
  host_cpm = 9,
  host_tops20 = 10,
  host_ntfs = 11,
  host_unknown = 12,
};

}  // namespace zipfmt

[[nodiscard]] constexpr unsigned read_le16(const std::uint8_t* p) {
  return static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8);
}

[[nodiscard]] constexpr std::uint32_t read_le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
