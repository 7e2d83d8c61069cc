// A program with one deliberate memory error, chosen by its argument, for
// checking that the memcheck runs of the suites fail on such an error:
//   memcheck_probe leak      100 bytes definitely lost
//   memcheck_probe overrun   a read past the end of a heap block
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[]) {
    if (argc < 2) {
        return 0;
    }
    if (std::strcmp(argv[1], "leak") == 0) {
        auto* lost = static_cast<char*>(std::malloc(100));
        std::memset(lost, 1, 100);
        lost = nullptr;
        return lost == nullptr ? 0 : 1;
    }
    if (std::strcmp(argv[1], "overrun") == 0) {
        auto* block = static_cast<int*>(std::malloc(4 * sizeof(int)));
        std::memset(block, 0, 4 * sizeof(int));
        const volatile int* end = block + 4;
        const int past = *end;
        std::free(block);
        return past == 12345 ? 1 : 0;
    }
    return 0;
}
