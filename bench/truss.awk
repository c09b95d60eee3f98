# A Warren truss with verticals as a mesh file: per panel a bottom chord, a
# top chord, a vertical and a diagonal bar, 4 bars per panel.
#   awk -v panels=250000 -f bench/truss.awk > bench.zmf    (1,000,000 bars)
BEGIN {
  n = panels + 1; ne = 4 * panels; nn = 2 * n
  print "Bench truss"
  print "TRUSS"
  printf "%5d   %5d   %5d\n", ne, nn, 2
  e = 0
  for (p = 1; p <= panels; p++) {
    b = p; t = n + p
    printf "%5d %5d    %5d %5d\n", ++e, 2, b, b + 1
    printf "%5d %5d    %5d %5d\n", ++e, 2, t, t + 1
    printf "%5d %5d    %5d %5d\n", ++e, 2, b, t
    printf "%5d %5d    %5d %5d\n", ++e, 2, b, t + 1
  }
  for (i = 1; i <= n; i++) printf "%5d %15.8f %15.8f %15.8f\n", i, (i - 1) * 1.25, 0.01 * (i % 7), 0
  for (i = 1; i <= n; i++) printf "%5d %15.8f %15.8f %15.8f\n", n + i, (i - 1) * 1.25, 0.01 * (i % 7), 1.5
  printf "%5d %5d\n%5d %5d\n", 1, 1, 2, n
}
