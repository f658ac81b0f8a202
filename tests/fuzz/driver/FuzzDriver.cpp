// Runs a libFuzzer-style target without libFuzzer, so that a build by a
// compiler without it still exercises the target under the sanitizers:
// first every seed file of the folders given, then random inputs of random
// length from a fixed seed. Usage: fuzz_x iterations max-length [folder...]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// Returns the number of seeds run, or -1 when a folder cannot be read: a
// missing corpus must not pass as a run that found nothing.
long RunSeeds(const char* folder) {
  std::error_code error;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    if (entry.is_regular_file()) files.push_back(entry.path());
  if (error) return -1;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  return static_cast<long>(files.size());
}

}  // namespace

int main(int argc, char** argv) {
  const long iterations = argc > 1 ? std::atol(argv[1]) : 100000;
  const size_t maxLength = argc > 2 ? static_cast<size_t>(std::atol(argv[2])) : 256;
  for (int i = 3; i < argc; ++i) {
    const long seeds = RunSeeds(argv[i]);
    if (seeds < 0) {
      std::fprintf(stderr, "cannot read the seed folder %s\n", argv[i]);
      return 1;
    }
    std::printf("%ld seeds from %s\n", seeds, argv[i]);
  }
  std::mt19937 random(20261207);
  std::vector<uint8_t> input;
  for (long i = 0; i < iterations; ++i) {
    input.resize(random() % (maxLength + 1));
    // Mostly printable text with the separators that parsers look for.
    static const char alphabet[] = "0123456789,-+ ;|*.?{}=%'\"\\\nabcxyzHKCRUNoRemoveForceRemoveval s";
    for (auto& byte : input)
      byte = (random() % 8 == 0) ? static_cast<uint8_t>(random()) : static_cast<uint8_t>(alphabet[random() % (sizeof(alphabet) - 1)]);
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  return 0;
}
