#include <cstdio>
int main() {
    std::puts("quorlin-cli");
    return 0;
}
