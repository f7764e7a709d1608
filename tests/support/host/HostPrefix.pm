# The prologue of the host-side helpers the tests start from drive T: (they
# are copied into the build folder's host/, beside this module): they act only
# inside that build's Wine prefix.
package HostPrefix;
use strict;
use warnings;
use Cwd qw(realpath);
use File::Basename qw(dirname basename);
use Exporter qw(import);
our @EXPORT = qw(fail prefix_drive_c);

my $name = basename($0, ".pl");
sub fail { print STDERR "$name: @_\n"; exit 2; }

# Drive C: of the build's prefix as a real path; never a link.
sub prefix_drive_c {
    my $self = realpath($0) // fail("cannot find myself");
    my $build = realpath(dirname($self) . "/..") // fail("no build folder");
    my $drive_c = "$build/wineprefix/drive_c";
    -d $drive_c && !-l $drive_c or fail("no drive_c in $build/wineprefix");
    return realpath($drive_c);
}

1;
