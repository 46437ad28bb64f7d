/* A stand-in for the textbook's main program, a Windows program that names
   its items in Windows-1251 and starts the viewers through the ANSI calls.

   textbook.exe HOW COMMAND-FILE

   COMMAND-FILE holds the command line (the viewer's path, a space, the
   item path) as bytes. HOW is "create" (CreateProcessA), "winexec"
   (WinExec) or "shell" (ShellExecuteA). It prints the time of the call,
   in 100 ns units since 1601 (FILETIME), and then whether the call
   succeeded, and exits at once: it does not wait for the viewer. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static unsigned long long now(void) {
    FILETIME time;
    GetSystemTimePreciseAsFileTime(&time);
    return ((unsigned long long)time.dwHighDateTime << 32) | time.dwLowDateTime;
}

int main(int argc, char** argv) {
    char command[4096] = {0};
    FILE* file;
    size_t length;
    int started = 0;
    if (argc != 3 || !(file = fopen(argv[2], "rb"))) return 2;
    length = fread(command, 1, sizeof command - 1, file);
    fclose(file);
    while (length && (command[length - 1] == '\n' || command[length - 1] == '\r'))
        command[--length] = 0;

    printf("call-time %llu\n", now());
    fflush(stdout);
    if (strcmp(argv[1], "create") == 0) {
        STARTUPINFOA startup = {sizeof startup};
        PROCESS_INFORMATION process;
        started = CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                                 &process);
    } else if (strcmp(argv[1], "winexec") == 0) {
        started = WinExec(command, SW_SHOWNORMAL) > 31;
    } else if (strcmp(argv[1], "shell") == 0) {
        char* space = strchr(command, ' ');
        if (!space) return 2;
        *space = 0;
        started = (INT_PTR)ShellExecuteA(NULL, "open", command, space + 1, NULL,
                                         SW_SHOWNORMAL) > 32;
    }
    printf(started ? "started\n" : "not started\n");
    return started ? 0 : 1;
}
