// A program with everything the binary check must reject: a console program that imports a DLL
// outside the allowed list and embeds an application manifest.
#include <winsock2.h>

int main() { return WSAGetLastError(); }
