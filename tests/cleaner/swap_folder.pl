#!/usr/bin/perl
# Host-side half of the swap race: while asked to, keeps swapping one folder
# of a tree inside the build's Wine prefix for a symbolic link to another
# folder, the way a host process can swap folders under a Windows program
# (Wine's share modes bind Windows processes only).
#
#   swap_folder.pl RACE SWAPPED TARGET SECONDS [PAUSE]
#
#   RACE     the race folder as a Windows path below C:\ (C:\purgelet-tests\t1-0)
#   SWAPPED  the folder to swap, relative to RACE (work\sub)
#   TARGET   what the link points to, relative to the swapped folder's parent (../outside)
#   SECONDS  the longest the script runs
#   PAUSE    each state (link, real folder) lasts up to this many milliseconds, 1 by default
#
# The Windows side steers it through files in RACE: "go" present means swap;
# "hold" present means swap once and keep the link in place ("held" is written
# once it is); "idle" is written (with the number of swaps so far in "cycles")
# each time the script has stopped swapping and put the folder back; "stop"
# ends it. While
# the link is in place the real folder is parked as RACE\parked, outside the
# tree. The script runs from the build folder and acts only inside that
# build's prefix: every path is checked to lie below its drive_c.
use strict;
use warnings;
use Cwd qw(realpath);
use File::Basename qw(dirname);
use FindBin;
use lib $FindBin::RealBin;
use HostPrefix;

@ARGV == 4 || @ARGV == 5 or fail("usage: swap_folder.pl RACE SWAPPED TARGET SECONDS [PAUSE]");
my ($race_win, $swapped_rel, $target_rel, $seconds, $pause_ms) = @ARGV;
$seconds =~ /^\d+$/ && $seconds > 0 && $seconds <= 3600 or fail("bad time limit");
$pause_ms //= 1;
$pause_ms =~ /^\d+(\.\d+)?$/ && $pause_ms <= 1000 or fail("bad pause");

my $drive_c = prefix_drive_c();

sub names {  # plain names only: no empty, "." or ".." component
    my @names = grep { length } split /[\\\/]/, shift;
    for (@names) { /^[A-Za-z0-9_][A-Za-z0-9._-]*$/ && !/^\.+$/ or fail("refused name '$_'"); }
    @names or fail("empty path");
    return @names;
}
sub inside {  # a real path strictly below drive_c
    my $path = shift;
    return defined $path && index($path, "$drive_c/") == 0;
}

$race_win =~ s/^[cC]:[\\\/]// or fail("the race folder must lie on drive C:");
my $race = join("/", $drive_c, names($race_win));
-d $race && !-l $race && inside(realpath($race)) or fail("no race folder $race");
$race = realpath($race);

my $swapped = join("/", $race, names($swapped_rel));
my $parent = dirname($swapped);
inside(realpath($parent)) && index(realpath($parent), $race) == 0 or fail("swapped folder outside the race folder");
my @target = grep { length } split /\//, $target_rel;
for (@target) { $_ eq ".." || /^[A-Za-z0-9_][A-Za-z0-9._-]*$/ or fail("refused link target '$target_rel'"); }
inside(realpath("$parent/$target_rel")) or fail("link target outside the prefix");
my $parked = "$race/parked";

sub pause_briefly { select(undef, undef, undef, rand() * $pause_ms / 1000); }

# Puts the real folder back in its place.
sub restore {
    unlink $swapped if -l $swapped;
    rename $parked, $swapped if -d $parked && !-l $parked && !-e $swapped;
}

my $cycles = 0;
my $deadline = time + $seconds;
my $idle = 0;
while (time < $deadline && !-e "$race/stop" && -d $race) {
    if (-e "$race/hold") {
        if ($idle) { unlink "$race/idle"; $idle = 0; }
        if (!-l $swapped && -d $swapped && rename $swapped, $parked) {
            symlink $target_rel, $swapped;
            ++$cycles;
            if (open(my $out, '>', "$race/held")) { close $out; }
        }
        select(undef, undef, undef, 0.001);
    } elsif (-e "$race/go") {
        if ($idle) { unlink "$race/idle"; $idle = 0; }
        unless (-d $swapped && !-l $swapped && rename $swapped, $parked) {
            select(undef, undef, undef, 0.0005);  # nothing to swap right now
            next;
        }
        symlink $target_rel, $swapped;
        ++$cycles;
        pause_briefly();
        restore();
        pause_briefly();
    } else {
        restore();
        unless ($idle) {
            unlink "$race/held";
            if (open(my $out, '>', "$race/cycles")) { print $out "$cycles\n"; close $out; }
            if (open(my $out, '>', "$race/idle")) { close $out; }
            $idle = 1;
        }
        select(undef, undef, undef, 0.001);
    }
}
restore();
unlink "$race/idle";
exit 0;
