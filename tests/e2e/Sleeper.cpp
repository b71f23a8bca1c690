// Stands in for the product's main.exe while it is running.
#include <windows.h>

int main() {
    ::Sleep(120000);
    return 0;
}
