// A footbridge of 4 panels, in millimetres: two Warren trusses with
// verticals, 3000 by 1500 a panel and 2000 apart, joined by cross bars at
// the deck and at the top. Every bar is a line of Gmsh; a mesh size larger
// than the bars keeps each line one element:  gmsh -1 truss.geo
n = 4; a = 3000; h = 1500; b = 2000;
size = 1e5;
For s In {0:1}
  For i In {0:n}
    Point(100*s + i + 1) = {i*a, s*b, 0, size};
    Point(100*s + i + 51) = {i*a, s*b, h, size};
  EndFor
EndFor
k = 0;
For s In {0:1}
  For i In {0:n-1}
    k += 1; Line(k) = {100*s + i + 1, 100*s + i + 2};     // bottom chord
    k += 1; Line(k) = {100*s + i + 51, 100*s + i + 52};   // top chord
    k += 1; Line(k) = {100*s + i + 1, 100*s + i + 52};    // diagonal
  EndFor
  For i In {0:n}
    k += 1; Line(k) = {100*s + i + 1, 100*s + i + 51};    // vertical
  EndFor
EndFor
For i In {0:n}
  k += 1; Line(k) = {i + 1, 100 + i + 1};                 // cross bar at the deck
  k += 1; Line(k) = {i + 51, 100 + i + 51};               // cross bar at the top
EndFor
