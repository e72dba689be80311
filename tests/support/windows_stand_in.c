/* A Windows stand-in emulator, built with mingw-w64 by the Wine test: it opens its first
 * argument as an old ANSI C program does (argv and fopen) and as a Unicode one does
 * (CommandLineToArgvW and _wfopen), and writes the first line each read, the argument itself
 * and the CRC-32 of the whole file to record.txt in its working folder (whole, through a
 * rename). With
 * KL_STAND_IN_SECONDS it then plays for that long. With --code-page alone it prints its
 * ANSI code page. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>
#include <shellapi.h>

int _dowildcard = 0; /* '*' and '?' in an argument stay as they are */

static void first_line(FILE *f, char *line, size_t size)
{
    line[0] = 0;
    if (f) {
        if (!fgets(line, (int)size, f))
            line[0] = 0;
        fclose(f);
        line[strcspn(line, "\r\n")] = 0;
    } else
        strcpy(line, "-");
}

/* zlib's CRC-32 of the whole file, as read by the Unicode open: a patched image is compared
 * whole, not only by its first line. */
static unsigned long whole_crc(FILE *f)
{
    unsigned long crc = 0xFFFFFFFFul;
    int c, k;
    if (!f)
        return 0;
    while ((c = fgetc(f)) != EOF) {
        crc ^= (unsigned long)c;
        for (k = 0; k < 8; ++k)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320ul : crc >> 1;
    }
    fclose(f);
    return crc ^ 0xFFFFFFFFul;
}

int main(int argc, char **argv)
{
    char ansi[256], wide[256];
    if (argc == 2 && strcmp(argv[1], "--code-page") == 0) { /* the ANSI code page Wine gave it */
        printf("%u\n", GetACP());
        return 0;
    }
    int wargc = 0;
    LPWSTR *wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
    first_line(argc > 1 ? fopen(argv[1], "rb") : NULL, ansi, sizeof ansi);
    first_line(wargc > 1 ? _wfopen(wargv[1], L"rb") : NULL, wide, sizeof wide);
    FILE *out = fopen("record.tmp", "wb");
    if (!out)
        return 3;
    fprintf(out, "ansi:%s\nwide:%s\narg:%s\ncrc:%08lx\n", ansi, wide, argc > 1 ? argv[1] : "",
            whole_crc(wargc > 1 ? _wfopen(wargv[1], L"rb") : NULL));
    fclose(out);
    if (!MoveFileExA("record.tmp", "record.txt", MOVEFILE_REPLACE_EXISTING))
        return 4;
    printf("ansi:%s wide:%s\n", ansi, wide);
    fflush(stdout);
    if (getenv("KL_STAND_IN_SECONDS"))
        Sleep(1000u * (unsigned)atoi(getenv("KL_STAND_IN_SECONDS")));
    return 0;
}
