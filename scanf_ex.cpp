// getc_unlocked and isatty are POSIX, not ISO C.
#define _POSIX_C_SOURCE 200809L

#include <limits.h>
#include <stdio.h>
#include <unistd.h>

// Reads one decimal int as "%d" does, clamping past the int range; 0 if no digit.
static int
read_int(FILE *in)
{
	// One thread, so each character is read without taking the stream's
	// lock; bench/README.md measures what the lock would cost.
	int c;
	do
		c = getc_unlocked(in);
	while (c == ' ' || (c >= '\t' && c <= '\r'));

	bool negative = c == '-';
	if (c == '-' || c == '+')
		c = getc_unlocked(in);

	// Build the value on its own side of zero, so INT_MIN is reached without
	// overflow, and pin it at the limit: a longer run of digits still ends there.
	int value = 0;
	for (; c >= '0' && c <= '9'; c = getc_unlocked(in)) {
		int digit = c - '0';
		if (negative)
			value = value < (INT_MIN + digit) / 10 ? INT_MIN : value * 10 - digit;
		else
			value = value > (INT_MAX - digit) / 10 ? INT_MAX : value * 10 + digit;
	}
	// Leave the stop character for whoever reads standard input next.
	ungetc(c, in);
	return value;
}

int
main()
{
	// C only says a line-buffered stream is meant to be flushed when input is
	// wanted; glibc does it for a terminal, musl does not. So a terminal gets
	// its prompt here, before the wait; anywhere else both texts still go out
	// in one write at the end. A check that fails just means no terminal.
	fputs("Digite um valor inteiro: ", stdout);
	if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO))
		fflush(stdout);
	int value = read_int(stdin);
	printf("Valor lido: %d", value);

	// Both texts may still sit in the buffer: the write that can fail (full
	// disk, closed descriptor) may happen only here, and an earlier failed
	// flush has left the error indicator set, so this decides the status.
	if (fflush(stdout) != 0 || ferror(stdout))
		return 1;
	return 0;
}
