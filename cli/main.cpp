#include <cstdio>
int main() { std::puts("twinel"); return 0; }
