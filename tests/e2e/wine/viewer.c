/* A stand-in for one of the textbook's Windows viewers: a real Windows
   executable, different for each name (VIEWER), that does nothing. */
#include <stdio.h>

static const char name[] = VIEWER;

int main(void) {
    puts(name);
    return 0;
}
