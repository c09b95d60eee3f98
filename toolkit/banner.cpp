#include "toolkit/banner.hpp"

#include <cstdio>

namespace toolkit {

void prtban() {
  unsigned char key[banner_key_size];
  banner_key(key);
  std::fputs("\n", stdout);
  for (std::size_t r = 0; r < banner_records; ++r) {
    const unsigned char* stored = banner_table + r * banner_record_size;
    char line[banner_text_size + 1];
    std::size_t k = 0;  // the key restarts with every record
    for (std::size_t i = 0; i < banner_text_size; ++i) {
      line[i] = static_cast<char>(stored[i] ^ key[k]);
      k = (k == banner_key_size - 1) ? 0 : k + 1;
    }
    line[banner_text_size] = '\0';
    std::printf("%s\n", line);
  }
}

}  // namespace toolkit
