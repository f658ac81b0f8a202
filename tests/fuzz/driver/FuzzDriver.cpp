// Runs a libFuzzer-style target without libFuzzer: random inputs of random
// length from a fixed seed, so that a gcc build under the sanitizers still
// exercises the target. Usage: fuzz_x [iterations] [max length]
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  const long iterations = argc > 1 ? std::atol(argv[1]) : 100000;
  const size_t maxLength = argc > 2 ? static_cast<size_t>(std::atol(argv[2])) : 256;
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
