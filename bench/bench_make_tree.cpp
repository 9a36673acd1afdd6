// bench_make_tree DIRECTORY mixed MEGABYTES | small COUNT | program COUNT | tree COUNT
// Writes benchmark input files, deterministically:
//   mixed:   files of 1-8 MB totalling MEGABYTES, alternating text (compresses well),
//            pseudo-random bytes (does not) and repetitive records, in a few folders;
//   small:   COUNT files of 50-4000 bytes of text, 100 per folder;
//   program: COUNT files of 100 bytes to 40 KB (about 20 KB each on average) of text,
//            pseudo-random bytes and records, 50 per folder: a large program's files;
//   tree:    COUNT one-byte files of mixed-case names in COUNT / 20 directories (50 top
//            directories, the others below them), 20 files in each: a directory to scan.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Random {
  std::uint64_t state;
  std::uint32_t Next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state >> 33);
  }
};

std::string Text(Random& random, std::size_t size) {
  static const char* const kWords[] = {"setup ", "engine ", "cabinet ", "folder ", "Vexa ", "install ",
                                       "program ", "file ", "\r\n", "1998 ", "component ", "registry "};
  std::string text;
  while (text.size() < size) text += kWords[random.Next() % 12];
  text.resize(size);
  return text;
}

std::string Noise(Random& random, std::size_t size) {
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random.Next() >> 7);
  return bytes;
}

std::string Records(std::size_t size) {
  std::string bytes;
  for (std::uint32_t i = 0; bytes.size() < size; ++i) {
    char record[64];
    std::snprintf(record, sizeof record, "%08u|ACME-%05u|%010u|OK\n", i, i % 977, i * 2654435761u);
    bytes += record;
  }
  bytes.resize(size);
  return bytes;
}

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    std::perror(path.string().c_str());
    std::exit(1);
  }
  std::fclose(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench_make_tree DIRECTORY mixed MEGABYTES | small COUNT | program COUNT | tree COUNT\n");
    return 2;
  }
  const fs::path root = argv[1];
  const std::string kind = argv[2];
  const long amount = std::atol(argv[3]);
  Random random{12345};
  if (kind == "mixed") {
    const std::size_t total = static_cast<std::size_t>(amount) << 20;
    std::size_t made = 0;
    for (int i = 0; made < total; ++i) {
      const std::size_t size = std::min<std::size_t>((1 + random.Next() % 8) << 20, total - made);
      const fs::path path = root / ("DIR" + std::to_string(i % 5)) / ("FILE" + std::to_string(i) + ".DAT");
      Write(path, i % 3 == 0 ? Text(random, size) : i % 3 == 1 ? Noise(random, size) : Records(size));
      made += size;
    }
  } else if (kind == "small") {
    for (long i = 0; i < amount; ++i) {
      const fs::path path = root / ("D" + std::to_string(i / 100)) / ("F" + std::to_string(i) + ".TXT");
      Write(path, Text(random, 50 + random.Next() % 3950));
    }
  } else if (kind == "program") {
    for (long i = 0; i < amount; ++i) {
      const std::size_t size = 100 + random.Next() % 40860;
      const fs::path path = root / ("D" + std::to_string(i / 50)) / ("F" + std::to_string(i) + ".DAT");
      Write(path, i % 3 == 0 ? Text(random, size) : i % 3 == 1 ? Noise(random, size) : Records(size));
    }
  } else if (kind == "tree") {
    const long directories = std::max(50L, amount / 20);
    for (long i = 0; i < amount; ++i) {
      const long directory = i % directories;
      const fs::path top = root / ("Part" + std::to_string(directory % 50));
      const fs::path folder = directory < 50 ? top : top / ("Sub" + std::to_string(directory));
      Write(folder / ("File" + std::to_string(i) + (i % 2 ? ".Dat" : ".txt")), "x");
    }
  } else {
    return 2;
  }
  return 0;
}
