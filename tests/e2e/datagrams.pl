# datagrams.pl COUNT ADDRESS [PAUSE]: sends COUNT UDP datagrams of 60,000
# bytes to ADDRESS, PAUSE seconds apart. When ADDRESS is one of this
# machine's, a socket bound there takes them (and never reads them), so that
# no "port unreachable" comes back; otherwise they go to the discard port.
use strict;
use warnings;
use Socket;

my ($count, $address, $pause) = @ARGV;
die "usage: datagrams.pl COUNT ADDRESS [PAUSE]\n" unless defined $address;
my $to = inet_aton($address) or die "not an IPv4 address: $address\n";
my $port = 9;
socket(my $receiver, PF_INET, SOCK_DGRAM, 0) or die "socket: $!\n";
if (bind($receiver, pack_sockaddr_in(0, $to))) {
    ($port) = unpack_sockaddr_in(getsockname($receiver));
}
socket(my $sender, PF_INET, SOCK_DGRAM, 0) or die "socket: $!\n";
connect($sender, pack_sockaddr_in($port, $to)) or die "connect to $address: $!\n";
my $block = "\0" x 60000;
for (1 .. $count) {
    defined(send($sender, $block, 0)) or die "send to $address: $!\n";
    select(undef, undef, undef, $pause) if $pause;
}
