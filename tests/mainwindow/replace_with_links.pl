#!/usr/bin/perl
# Host-side helper: replaces files inside the build's Wine prefix by links
# (Wine itself can make none), then writes a mark the Windows side waits for.
#
#   replace_with_links.pl DONE KIND FILE TARGET [KIND FILE TARGET ...]
#
#   DONE    a Windows path below C:\, written once every file is replaced
#   KIND    "symlink" (FILE becomes a symbolic link to TARGET, a file or a
#           folder; a folder FILE must be empty), "hardlink" (FILE becomes a
#           second name of TARGET) or "remove" (FILE, a link or a file, goes;
#           TARGET is "-")
#   FILE, TARGET  Windows paths below C:\
#
# It runs from the build folder and acts only inside that build's prefix:
# every path is checked to lie below its drive_c.
use strict;
use warnings;
use Cwd qw(realpath);
use File::Basename qw(dirname basename);
use FindBin;
use lib $FindBin::RealBin;
use HostPrefix;

@ARGV >= 4 && (@ARGV - 1) % 3 == 0 or fail("usage: replace_with_links.pl DONE KIND FILE TARGET ...");
my $drive_c = prefix_drive_c();

# A Windows path below C:\ as a host path whose folder really lies below drive_c.
sub host_path {
    my $win = shift;
    $win =~ s/^[cC]:[\\\/]// or fail("'$win' does not lie on drive C:");
    my @names = grep { length } split /[\\\/]/, $win;
    @names or fail("empty path");
    for (@names) { $_ ne "." && $_ ne ".." or fail("refused name '$_'"); }
    my $path = join("/", $drive_c, @names);
    my $folder = realpath(dirname($path));
    defined $folder && index("$folder/", "$drive_c/") == 0 or fail("'$path' lies outside the prefix");
    return "$folder/" . basename($path);
}

my $done = host_path(shift @ARGV);
while (@ARGV) {
    my ($kind, $file, $target) = splice(@ARGV, 0, 3);
    $file = host_path($file);
    if ($kind eq "remove") {
        !-e $file || -l $file || -f $file or fail("$file is not a file");
        unlink $file;
        next;
    }
    $target = host_path($target);
    if ($kind eq "symlink" && -d $target && !-l $target) {
        !-e $file || (-d $file && !-l $file && rmdir $file) or fail("$file is not an empty folder");
        symlink $target, $file or fail("symlink $file: $!");
        next;
    }
    -f $target && !-l $target or fail("no file $target");
    !-e $file || (-f $file && !-l $file) or fail("$file is not a plain file");
    unlink $file;
    if ($kind eq "symlink") {
        symlink $target, $file or fail("symlink $file: $!");
    } elsif ($kind eq "hardlink") {
        link $target, $file or fail("link $file: $!");
    } else {
        fail("unknown kind '$kind'");
    }
}
open(my $out, '>', $done) or fail("cannot write $done");
close $out;
exit 0;
