/* Answers profile-string questions with the system's own reader, for the
 * test that holds quillplan's INI reader against it:
 *   profile_dump QUESTIONS ANSWERS
 * Each line of QUESTIONS is "BUFFER<tab>FILE<tab>SECTION<tab>KEY", the last
 * three as hexadecimal digits of their UTF-8 bytes. Each line of ANSWERS is
 * the length GetPrivateProfileStringW gave, a tab, and the buffer's text as
 * four hexadecimal digits per UTF-16 unit, up to its first NUL. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

/* Hexadecimal UTF-8 to a NUL-terminated wide text on the heap. */
static wchar_t* WideFromHex(const char* hex, size_t length) {
  char* bytes = (char*)malloc(length / 2 + 1);
  wchar_t* wide = (wchar_t*)malloc((length / 2 + 1) * sizeof(wchar_t));
  size_t count = 0;
  int chars = 0;
  if (bytes == NULL || wide == NULL) exit(3);
  for (; count < length / 2; ++count) {
    const int high = HexDigit(hex[2 * count]);
    const int low = HexDigit(hex[2 * count + 1]);
    if (high < 0 || low < 0) exit(4);
    bytes[count] = (char)(high * 16 + low);
  }
  if (count > 0) chars = MultiByteToWideChar(CP_UTF8, 0, bytes, (int)count, wide, (int)count);
  wide[chars] = L'\0';
  free(bytes);
  return wide;
}

int main(int argc, char** argv) {
  static char line[65536];
  FILE* questions;
  FILE* answers;
  if (argc != 3) {
    fprintf(stderr, "usage: profile_dump QUESTIONS ANSWERS\n");
    return 2;
  }
  questions = fopen(argv[1], "rb");
  answers = fopen(argv[2], "wb");
  if (questions == NULL || answers == NULL) return 2;
  while (fgets(line, sizeof line, questions) != NULL) {
    char* fields[4];
    size_t lengths[4];
    char* at = line;
    int field;
    DWORD buffer_chars;
    wchar_t* buffer;
    wchar_t* texts[3];
    DWORD returned;
    DWORD i;
    line[strcspn(line, "\r\n")] = '\0';
    for (field = 0; field < 4; ++field) {
      fields[field] = at;
      lengths[field] = strcspn(at, "\t");
      at += lengths[field] + (at[lengths[field]] == '\t' ? 1 : 0);
    }
    buffer_chars = (DWORD)strtoul(fields[0], NULL, 10);
    buffer = (wchar_t*)calloc(buffer_chars + 1, sizeof(wchar_t));
    if (buffer == NULL) return 3;
    for (field = 1; field < 4; ++field) texts[field - 1] = WideFromHex(fields[field], lengths[field]);
    returned = GetPrivateProfileStringW(texts[1], texts[2], L"", buffer, buffer_chars, texts[0]);
    fprintf(answers, "%lu\t", (unsigned long)returned);
    for (i = 0; i < buffer_chars && buffer[i] != L'\0'; ++i) {
      fprintf(answers, "%04x", (unsigned)buffer[i]);
    }
    fprintf(answers, "\n");
    for (field = 0; field < 3; ++field) free(texts[field]);
    free(buffer);
  }
  fclose(questions);
  fclose(answers);
  return 0;
}
