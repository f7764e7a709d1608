# The prologue of the host-side helpers the tests start from drive T:, copied
# beside this module into the build folder's host/: they act only inside that
# build's Wine prefix.
package HostPrefix;
use strict;
use warnings;
use Cwd qw(realpath);
use File::Basename qw(dirname basename);
use Exporter qw(import);
our @EXPORT = qw(fail prefix_drive_c);

sub fail { print STDERR basename($0, ".pl") . ": @_\n"; exit 2; }

sub prefix_drive_c {  # as a real path; never through a link
    my $build = realpath(dirname(realpath($0) // fail("cannot find myself")) . "/..") // fail("no build folder");
    -d "$build/wineprefix/drive_c" && !-l "$build/wineprefix/drive_c" or fail("no drive_c in $build/wineprefix");
    return realpath("$build/wineprefix/drive_c");
}

1;
