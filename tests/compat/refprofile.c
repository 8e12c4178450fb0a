/* SPDX-License-Identifier: MIT */
/* Answers profile-file queries through the Windows profile functions, for the differential test.
 * Reads one request per line from the file named by argv[1], writes one answer per line to
 * stdout. Texts travel as hex, "." being the empty text and "-" no text (NULL): Windows-1252
 * bytes for the A functions, UTF-8 for the W ones.
 *
 *   G A|W file section key          -> V hex | M (missing: the default came back)
 *   K A|W file section              -> L hex (the key list, NULs included)
 *   D A|W file section key          -> 1 | 0 (deletes the key)
 *   W A|W file section key value    -> V hex of "1" | "0" (writes the key)
 */
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define BUF (1 << 21)

static char abuf[BUF];
static WCHAR wbuf[BUF];
static char line[1 << 22];

static int nibble(char c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

static void puthex(const char *tag, const char *bytes, size_t n)
{
    size_t i;
    fputs(tag, stdout);
    for (i = 0; i < n; ++i)
        printf("%02x", (unsigned char)bytes[i]);
    putchar('\n');
}

/* Splits the request into fields, decoded from hex after the first two. */
static int fields(char *req, char **out, int max)
{
    int n = 0;
    char *save = NULL;
    char *tok = strtok_r(req, " \r\n", &save);
    while (tok && n < max) {
        out[n++] = tok;
        tok = strtok_r(NULL, " \r\n", &save);
    }
    return n;
}

static char *decoded(const char *hex)
{
    size_t n = strlen(hex), i;
    char *out;
    if (strcmp(hex, "-") == 0)
        return NULL; /* the argument is NULL */
    out = malloc(n / 2 + 1);
    if (strcmp(hex, ".") == 0)
        n = 0; /* the empty text */
    for (i = 0; i < n / 2; ++i)
        out[i] = (char)(nibble(hex[2 * i]) << 4 | nibble(hex[2 * i + 1]));
    out[n / 2] = 0;
    return out;
}

static WCHAR *wide(const char *utf8)
{
    int n;
    WCHAR *w;
    if (!utf8)
        return NULL;
    n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, NULL, 0);
    w = malloc(sizeof(WCHAR) * (n + 1));
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w, n);
    return w;
}

static void putwide(const char *tag, const WCHAR *w, int n)
{
    int len = WideCharToMultiByte(CP_UTF8, 0, w, n, NULL, 0, NULL, NULL);
    char *out = malloc(len + 1);
    WideCharToMultiByte(CP_UTF8, 0, w, n, out, len, NULL, NULL);
    puthex(tag, out, len);
    free(out);
}

int main(int argc, char **argv)
{
    FILE *in;
    if (argc < 2 || !(in = fopen(argv[1], "rb")))
        return 2;
    _setmode(_fileno(stdout), _O_BINARY);
    while (fgets(line, sizeof line, in)) {
        char *f[6] = {0};
        char *arg[4] = {0};
        int n = fields(line, f, 6), i, wideMode;
        if (n == 0)
            continue;
        if (n < 3) {
            puts("?");
            continue;
        }
        wideMode = f[1][0] == 'W';
        for (i = 2; i < n; ++i)
            arg[i - 2] = decoded(f[i]);
        if (!wideMode) {
            const char *file = arg[0];
            DWORD r;
            switch (f[0][0]) {
            case 'G':
                /* The generated files never hold this default as a value. */
                r = GetPrivateProfileStringA(arg[1], arg[2], "\x01\x02", abuf, BUF, file);
                if (r == 2 && memcmp(abuf, "\x01\x02", 2) == 0)
                    puts("M");
                else
                    puthex("V", abuf, r);
                break;
            case 'K':
                r = GetPrivateProfileStringA(arg[1], NULL, "", abuf, BUF, file);
                puthex("L", abuf, r);
                break;
            case 'D':
                puts(WritePrivateProfileStringA(arg[1], arg[2], NULL, file) ? "1" : "0");
                break;
            case 'W':
                puthex("V", WritePrivateProfileStringA(arg[1], arg[2], arg[3], file) ? "1" : "0",
                       1);
                break;
            default:
                puts("?");
            }
        } else {
            WCHAR *w[4];
            DWORD r;
            for (i = 0; i < 4; ++i)
                w[i] = wide(arg[i]);
            switch (f[0][0]) {
            case 'G':
                r = GetPrivateProfileStringW(w[1], w[2], L"\x01\x02", wbuf, BUF, w[0]);
                if (r == 2 && wbuf[0] == 1 && wbuf[1] == 2)
                    puts("M");
                else
                    putwide("V", wbuf, (int)r);
                break;
            case 'K':
                r = GetPrivateProfileStringW(w[1], NULL, L"", wbuf, BUF, w[0]);
                putwide("L", wbuf, (int)r);
                break;
            case 'D':
                puts(WritePrivateProfileStringW(w[1], w[2], NULL, w[0]) ? "1" : "0");
                break;
            case 'W':
                puthex("V", WritePrivateProfileStringW(w[1], w[2], w[3], w[0]) ? "1" : "0", 1);
                break;
            default:
                puts("?");
            }
            for (i = 0; i < 4; ++i)
                free(w[i]);
        }
        for (i = 0; i < 4; ++i)
            free(arg[i]);
    }
    return 0;
}
