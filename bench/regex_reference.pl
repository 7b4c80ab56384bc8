#!/usr/bin/perl
# perl regex_reference.pl search|replace TEXTS ROUNDS
# The reference of regex_bench: each line of TEXTS searched with \d{4}-\d\d,
# or rewritten with s/(\w+) (\w+)/$2 $1/g, the pattern compiled once. Prints
# the best round's processor seconds per line, then each line's result (TRUE
# or FALSE, or the rewritten text) from a pass that is not timed.
use strict;
use warnings;
use Time::HiRes qw(clock_gettime CLOCK_PROCESS_CPUTIME_ID);

my ($mode, $file, $rounds) = @ARGV;
open my $in, '<', $file or die "$file: $!";
chomp(my @lines = <$in>);
my $best;
for (1 .. $rounds) {
  my ($start, $n) = (clock_gettime(CLOCK_PROCESS_CPUTIME_ID), 0);
  if ($mode eq 'search') {
    for (@lines) { ++$n if /\d{4}-\d\d/ }
  } else {
    for (@lines) { (my $s = $_) =~ s/(\w+) (\w+)/$2 $1/g }
  }
  my $t = clock_gettime(CLOCK_PROCESS_CPUTIME_ID) - $start;
  $best = $t if !defined $best || $t < $best;
}
print $best / @lines, "\n";
for (@lines) {
  (my $s = $_) =~ s/(\w+) (\w+)/$2 $1/g;
  print $mode eq 'search' ? (/\d{4}-\d\d/ ? 'TRUE' : 'FALSE') : $s, "\n";
}
