// The classic marching-cubes tables and the corner / edge numbering they are written for.
// Corner k of a cell sits at offset coinsCube[k] (in cells) from the cell's minimum corner;
// edge j joins corners aretesCube[j][0] -> aretesCube[j][1], along directionsAretes[j].
#pragma once

// Offsets of the eight corners: 0 (0,0,0), 1 (1,0,0), 2 (1,1,0), 3 (0,1,0), then the same at z = 1.
extern const int coinsCube[8][3];
// The twelve edges as (first corner, second corner).
extern const int aretesCube[12][2];
// Unit direction of each edge, from its first corner to its second.
extern const int directionsAretes[12][3];

// For a corner configuration c (bit k set when corner k is at or below the iso-level),
// the 12-bit mask of the edges whose two corners lie on different sides.
extern const int tableAretes[256];
// For configuration c, up to five triangles as edge indices in groups of three, ended by -1.
extern const int tableTriangles[256][16];
