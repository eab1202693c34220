// RondelList.exe: placeholder until the catalogue lands.
#include <cstdio>
int main() { return 0; }
