/* The floor of a card job: sends a list of command APDUs to a reader through pcscd
 * with nothing around them but one context, one connection and one transaction, so
 * that the benchmark can set a front end's wall time against the wire's.
 *
 *   pcsc_replay READER COMMANDS     COMMANDS: one command in hex per line, as the
 *                                    bench card logs them ("> " prefixes are skipped)
 *
 * Prints the number of commands sent. Exits 1 on a PC/SC failure, 2 on bad input.
 */
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <winscard.h>

#define MAX_COMMAND 261 /* a short APDU: header, Lc, 255 data bytes, Le */

struct command {
  unsigned char bytes[MAX_COMMAND];
  DWORD length;
};

static int hex_digit(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = tolower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

/* One line of hex digits (spaces and a leading '>' ignored) into command; 0 when the
 * line holds no command, -1 when it cannot be one. */
static int parse_line(const char *line, struct command *command) {
  int high = -1;
  command->length = 0;
  for (const char *p = line; *p != '\0'; ++p) {
    if (*p == '>' || isspace((unsigned char)*p)) continue;
    const int digit = hex_digit((unsigned char)*p);
    if (digit < 0) return -1;
    if (high < 0) {
      high = digit;
      continue;
    }
    if (command->length == MAX_COMMAND) return -1;
    command->bytes[command->length++] = (unsigned char)(high << 4 | digit);
    high = -1;
  }
  if (high >= 0) return -1;
  return command->length > 0 ? 1 : 0;
}

static struct command *read_commands(const char *path, size_t *count) {
  FILE *file = fopen(path, "r");
  if (file == NULL) {
    perror(path);
    return NULL;
  }
  struct command *commands = NULL;
  size_t capacity = 0;
  char line[4 * MAX_COMMAND];
  *count = 0;
  while (fgets(line, sizeof line, file) != NULL) {
    if (strchr(line, '\n') == NULL && !feof(file)) {
      fprintf(stderr, "%s: line %zu too long\n", path, *count + 1);
      goto fail;
    }
    if (line[0] == '<') continue; /* an answer in a bench card log */
    if (*count == capacity) {
      capacity = capacity == 0 ? 128 : capacity * 2;
      struct command *grown = realloc(commands, capacity * sizeof *commands);
      if (grown == NULL) goto fail;
      commands = grown;
    }
    const int parsed = parse_line(line, &commands[*count]);
    if (parsed < 0) {
      fprintf(stderr, "%s: not a command: %s", path, line);
      goto fail;
    }
    *count += (size_t)parsed;
  }
  fclose(file);
  return commands;
fail:
  free(commands);
  fclose(file);
  return NULL;
}

static int failed(const char *call, LONG result) {
  if (result == SCARD_S_SUCCESS) return 0;
  fprintf(stderr, "pcsc_replay: %s: %s (0x%08lX)\n", call, pcsc_stringify_error(result),
          (unsigned long)result);
  return 1;
}

static int replay(const char *reader, const struct command *commands, size_t count) {
  SCARDCONTEXT context;
  if (failed("SCardEstablishContext", SCardEstablishContext(SCARD_SCOPE_USER, NULL, NULL, &context))) return 1;
  int status = 1;
  SCARDHANDLE card;
  DWORD protocol = 0;
  if (failed("SCardConnect", SCardConnect(context, reader, SCARD_SHARE_SHARED,
                                          SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card, &protocol))) {
    goto release;
  }
  if (failed("SCardBeginTransaction", SCardBeginTransaction(card))) goto disconnect;
  const SCARD_IO_REQUEST *header = protocol == SCARD_PROTOCOL_T0 ? SCARD_PCI_T0 : SCARD_PCI_T1;
  size_t sent = 0;
  for (; sent < count; ++sent) {
    unsigned char answer[512];
    DWORD length = sizeof answer;
    if (failed("SCardTransmit", SCardTransmit(card, header, commands[sent].bytes, commands[sent].length, NULL,
                                              answer, &length))) {
      break;
    }
  }
  if (sent == count) status = 0;
  if (failed("SCardEndTransaction", SCardEndTransaction(card, SCARD_LEAVE_CARD))) status = 1;
disconnect:
  if (failed("SCardDisconnect", SCardDisconnect(card, SCARD_LEAVE_CARD))) status = 1;
release:
  SCardReleaseContext(context);
  if (status == 0) printf("%zu\n", count);
  return status;
}

int main(int argc, char **argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: pcsc_replay READER COMMANDS\n");
    return 2;
  }
  size_t count = 0;
  struct command *commands = read_commands(argv[2], &count);
  if (commands == NULL) return 2;
  const int status = replay(argv[1], commands, count);
  free(commands);
  return status;
}
