// Texture support of the mesh record that needs OpenGL.
#pragma once

// Makes SimpleMesh destruction delete its texture name with glDeleteTextures. Called once at
// start-up, after the OpenGL context exists (and by tests that make textures).
void installTextureDeleter();
