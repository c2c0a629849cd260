/* The WebGL renderer (WebGL 2, else WebGL 1): the node array in one vertex buffer,
 * index buffers per draw set, point sprites shaped in the fragment shader.
 */
function GLRenderer(canvas, antialias) {
  const opts = {antialias, alpha: false, depth: true, preserveDrawingBuffer: true, premultipliedAlpha: false};
  let gl = canvas.getContext('webgl2', opts), name = 'webgl2';
  if (!gl) { gl = canvas.getContext('webgl', opts); name = 'webgl'; }
  if (!gl) return null;
  const bigIndex = model.N >= 65536;
  if (bigIndex && name === 'webgl' && !gl.getExtension('OES_element_index_uint')) return null;
  const indexType = bigIndex ? gl.UNSIGNED_INT : gl.UNSIGNED_SHORT, indexBytes = bigIndex ? 4 : 2;
  const vs = 'attribute vec3 p; uniform mat4 m; uniform float s;' +
    'void main() { gl_Position = m * vec4(p, 1.0); gl_PointSize = s; }';
  // Shapes of point sprites: 0 none (lines, triangles), 1 dot, 2 triangle (support), 3 ring (spring), 4 square.
  const fs = 'precision mediump float; uniform vec4 c; uniform int shape;' +
    'void main() {' +
    ' vec2 q = gl_PointCoord * 2.0 - 1.0;' +
    ' if (shape == 1 && dot(q, q) > 1.0) discard;' +
    ' if (shape == 2 && (q.y < -0.8 || abs(q.x) > (q.y + 0.8) * 0.6)) discard;' +
    ' if (shape == 3 && (dot(q, q) > 1.0 || dot(q, q) < 0.35)) discard;' +
    ' gl_FragColor = c; }';
  const shader = (type, src) => {
    const s = gl.createShader(type);
    gl.shaderSource(s, src);
    gl.compileShader(s);
    if (!gl.getShaderParameter(s, gl.COMPILE_STATUS)) throw new Error(gl.getShaderInfoLog(s));
    return s;
  };
  const prog = gl.createProgram();
  gl.attachShader(prog, shader(gl.VERTEX_SHADER, vs));
  gl.attachShader(prog, shader(gl.FRAGMENT_SHADER, fs));
  gl.linkProgram(prog);
  if (!gl.getProgramParameter(prog, gl.LINK_STATUS)) throw new Error(gl.getProgramInfoLog(prog));
  gl.useProgram(prog);
  const loc = {p: gl.getAttribLocation(prog, 'p'), m: gl.getUniformLocation(prog, 'm'), s: gl.getUniformLocation(prog, 's'),
    c: gl.getUniformLocation(prog, 'c'), shape: gl.getUniformLocation(prog, 'shape')};
  const vbo = gl.createBuffer();
  gl.bindBuffer(gl.ARRAY_BUFFER, vbo);
  gl.bufferData(gl.ARRAY_BUFFER, model.xyz, gl.STATIC_DRAW);
  gl.enableVertexAttribArray(loc.p);
  gl.vertexAttribPointer(loc.p, 3, gl.FLOAT, false, 0, 0);
  gl.enable(gl.DEPTH_TEST);
  gl.depthFunc(gl.LEQUAL);
  const buffers = [];
  const upload = (data) => {
    const b = gl.createBuffer();
    gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, b);
    gl.bufferData(gl.ELEMENT_ARRAY_BUFFER, data, gl.STATIC_DRAW);
    buffers.push(b);
    return b;
  };
  const bg = rgb('#fbfcfd');
  return {
    name,
    // Draw lists: ops {prim, buf, first, count, colour, shape, size, depth}.
    prepare(set, nodes, plates) {
      return prepareOps(set, nodes, upload, {tri: gl.TRIANGLES, line: gl.LINES, point: gl.POINTS}, plates);
    },
    release() { for (const b of buffers.splice(0)) gl.deleteBuffer(b); },
    resize(w, h, ratio) {
      canvas.width = Math.max(1, Math.round(w * ratio));
      canvas.height = Math.max(1, Math.round(h * ratio));
      gl.viewport(0, 0, canvas.width, canvas.height);
    },
    clear() {
      gl.clearColor(bg[0], bg[1], bg[2], 1);
      gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
      gl.uniformMatrix4fv(loc.m, false, matrix());
    },
    draw(op, first, count) {
      gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, op.buf);
      gl.uniform4f(loc.c, op.colour[0], op.colour[1], op.colour[2], op.alpha);
      gl.uniform1i(loc.shape, op.shape);
      gl.uniform1f(loc.s, op.size * (window.devicePixelRatio > 1 ? 2 : 1));
      if (op.blend) {
        gl.enable(gl.BLEND);
        gl.blendFunc(gl.SRC_ALPHA, gl.ONE_MINUS_SRC_ALPHA);
        gl.depthMask(false);
        gl.enable(gl.POLYGON_OFFSET_FILL);
        gl.polygonOffset(1, 1);
      }
      gl.drawElements(op.prim, count, indexType, first * indexBytes);
      if (op.blend) {
        gl.disable(gl.BLEND);
        gl.depthMask(true);
        gl.disable(gl.POLYGON_OFFSET_FILL);
      }
    },
    // Waits for the picture (one pixel read back), for the time of the first picture.
    finish() { const px = new Uint8Array(4); gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, px); },
  };
}
