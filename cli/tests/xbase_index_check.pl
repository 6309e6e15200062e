#!/usr/bin/perl
# xbase_index_check.pl TABLE.dbf TABLE.MDX
#
# Reads the table and walks every tag of its index with Debian's XBase
# modules (libdbd-xbase-perl), a dBase library that shares no code with the
# program, and checks that each tag yields exactly the live records, in key
# order with equal keys by record number, with the keys the records give.
# Exits 0 and prints one line per tag when the walk is clean.
use strict;
use warnings;
use XBase;
use XBase::Index;

my ($table_path, $index_path) = @ARGV;
die "usage: $0 TABLE.dbf TABLE.MDX\n" unless defined $index_path;

my $table = XBase->new($table_path) or die "XBase cannot open $table_path: " . XBase->errstr;
my @names = $table->field_names;
my @types = $table->field_types;
my %column;
@column{@names} = (0 .. $#names);

# Day number of 1970-01-01 in the date-time field's Julian day count.
my $unix_epoch_day = 2440588;

# The live records: record number (1-based) => [OWNER, DATETIME as days].
my %live;
for my $i (0 .. $table->last_record) {
  my ($deleted, @cells) = $table->get_record($i);
  die "XBase cannot read record $i: " . $table->errstr unless defined $deleted;
  next if $deleted;
  $live{$i + 1} = \@cells;
}

my $index = XBase::Index->new($index_path) or die "XBase::Index cannot open $index_path: " . XBase::Index->errstr;
my @tags = $index->tags;
die "the index holds no tags\n" unless @tags;

my $failed = 0;
for my $tag (@tags) {
  my $col = $column{$tag};
  die "tag $tag names no field of the table\n" unless defined $col;
  my $walk = XBase::Index->new($index_path, tag => $tag) or die XBase::Index->errstr;
  $walk->prepare_select or die $walk->errstr;
  my $kind = $types[$col];
  my ($count, $previous_key, $previous_record, %seen) = (0);
  my $fault;
  while (my ($key, $record) = $walk->fetch) {
    ++$count;
    my $value;
    if ($kind eq 'T') {
      $value = unpack 'd<', $key;
      my $want = $unix_epoch_day + ($live{$record} ? $live{$record}[$col] : 0) / 86400;
      $fault = "entry $count: record $record has key $value, its field gives $want"
        if $live{$record} && abs($value - $want) > 1e-6;
    } else {
      $value = $key;
      $fault = "entry $count: record $record has key '$key', its field holds '$live{$record}[$col]'"
        if $live{$record} && $key ne $live{$record}[$col] . (' ' x (length($key) - length($live{$record}[$col])));
    }
    $fault //= "entry $count: record $record is not a live record" unless $live{$record};
    $fault //= "entry $count: record $record appears twice" if $seen{$record}++;
    if (defined $previous_key && !defined $fault) {
      my $order = $kind eq 'T' ? $previous_key <=> $value : $previous_key cmp $value;
      $fault = "entry $count: record $record is out of key order"
        if $order > 0 || ($order == 0 && $previous_record > $record);
    }
    last if defined $fault;
    ($previous_key, $previous_record) = ($value, $record);
  }
  $fault //= 'the walk stopped: ' . $walk->errstr if $walk->errstr;
  $fault //= "$count keys for " . scalar(keys %live) . ' live records' if $count != keys %live;
  if (defined $fault) {
    print "tag $tag: $fault\n";
    $failed = 1;
  } else {
    print "tag $tag: $count keys in order, walked by XBase::Index\n";
  }
}
exit $failed;
